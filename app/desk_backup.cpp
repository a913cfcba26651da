#include "app/desk_backup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <unordered_set>

#include "app/desk_files.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "store/database_list.h"
#include "store/format.h"
#include "store/verifier.h"

namespace desk {
namespace {

using platform::File;
using platform::FileError;
using platform::LocalTime;

constexpr std::size_t kChunk = std::size_t{1} << 20;
// How long a backup waits for the other desks' commands to let it have a
// data file to itself for the moment of its copy.
constexpr std::uint32_t kLockPatienceMs = 10000;
constexpr const char* kManifest = "备份信息.ini";
constexpr const char* kSettingsFile = "配置.ini";
constexpr const char* kPartialSuffix = ".未完成";

std::string Gbk(const std::string& utf8) { return platform::Utf8ToGbk(utf8); }
std::string Utf8(const std::string& gbk) { return platform::GbkToUtf8(gbk, false); }

// `name` in `folder`. The desk names its folder with a backslash at the end,
// which only Windows takes as a separator; in UTF-8 a backslash is never part
// of another character, so every one becomes '/', which all systems take.
std::string Join(std::string folder, const std::string& name) {
  std::replace(folder.begin(), folder.end(), '\\', '/');
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string Stamp(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

bool Digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

// A backup folder's name: YYYYMMDD-HHMMSS, with "-N" when two were made in
// the same second.
std::optional<LocalTime> ParseStamp(std::string_view name) {
  if (name.size() < 15 || name[8] != '-' || !Digits(name.substr(0, 8)) ||
      !Digits(name.substr(9, 6)))
    return std::nullopt;
  if (name.size() > 15 && (name[15] != '-' || !Digits(name.substr(16)))) return std::nullopt;
  LocalTime t;
  t.year = Number(name.substr(0, 4));
  t.month = Number(name.substr(4, 2));
  t.day = Number(name.substr(6, 2));
  t.hour = Number(name.substr(9, 2));
  t.minute = Number(name.substr(11, 2));
  t.second = Number(name.substr(13, 2));
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59)
    return std::nullopt;
  return t;
}

std::string FileErrorText(FileError error) {
  switch (error) {
    case FileError::kNotFound:
      return "文件不存在";
    case FileError::kBadPath:
      return "路径无效";
    case FileError::kAccessDenied:
      return "没有权限";
    case FileError::kSharingViolation:
      return "文件正被其他程序独占";
    case FileError::kLockViolation:
      return "文件被锁定";
    case FileError::kDiskFull:
      return "磁盘已满";
    case FileError::kHardware:
      return "读写设备出错";
    default:
      return "读写出错";
  }
}

// The name of `gbk_path` after its folder; a backslash may be the trail
// byte of a GBK character, so the path is walked.
std::string LastPart(const std::string& gbk_path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < gbk_path.size(); i += platform::CharLength(gbk_path, i))
    if (gbk_path[i] == '/' || gbk_path[i] == '\\') start = i + 1;
  return gbk_path.substr(start);
}

// One file of the desk and the name it has in a backup.
struct DeskPath {
  std::string name;     // UTF-8 file name
  std::string path;     // GBK path in the data folder as found (letter case aside)
  bool data = false;    // a data file (verified), else its long-value file or the settings
  bool needed = false;  // the desk cannot work without it
};

// The desk's files that are in `dir`: each data file, then its long-value
// file when there is one, then "配置.ini" when there is one.
std::vector<DeskPath> DeskPathsIn(const std::string& dir, std::string& missing) {
  std::vector<DeskPath> paths;
  for (const DeskFile& desk : DeskFiles()) {
    const std::string wanted = Gbk(Join(dir, desk.file_name));
    std::optional<std::string> found = platform::FindIgnoringCase(wanted);
    if (!found) {
      if (missing.empty()) missing = desk.file_name;
      continue;
    }
    paths.push_back({desk.file_name, *found, true, true});
    if (std::optional<std::string> lv =
            platform::FindIgnoringCase(store::LongValueFileName(*found))) {
      paths.push_back({Utf8(LastPart(*lv)), *lv, false, false});
    }
  }
  if (std::optional<std::string> settings =
          platform::FindIgnoringCase(Gbk(Join(dir, kSettingsFile))))
    paths.push_back({kSettingsFile, *settings, false, false});
  return paths;
}

struct Opened {
  std::unique_ptr<File> file;
  std::string why;
};

Opened OpenSource(const std::string& gbk_path, platform::FileAccess access) {
  platform::OpenedFile opened =
      platform::OpenFile(gbk_path, access, platform::FileSharing::kShareAll);
  if (!opened.file) return {nullptr, Utf8(gbk_path) + "：" + FileErrorText(opened.error)};
  return {std::move(opened.file), {}};
}

// Copies files chunk by chunk, telling the progress as it goes.
class Copier {
 public:
  Copier(std::uint64_t total, const BackupProgress& progress)
      : total_(total), progress_(progress), buffer_(kChunk), other_(kChunk) {}

  // Copies all of `from` to `to`. Parts that cannot be read now (another
  // desk's lock, on systems that enforce them) are left for CopyChanged.
  bool CopyAll(File& from, File& to, std::string& why) {
    const auto size = from.Size();
    if (!size.ok()) return Fail(why, size.error);
    for (std::uint64_t at = 0; at < size.value; at += kChunk) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size.value - at));
      auto read = from.ReadAt(at, std::span(buffer_.data(), n));
      if (!read.ok() && read.error != FileError::kLockViolation) return Fail(why, read.error);
      if (!read.ok()) std::fill_n(buffer_.begin(), n, std::uint8_t{0});
      if (FileError e = to.WriteAt(at, std::span(buffer_.data(), n)); e != FileError::kNone)
        return Fail(why, e);
      Advance(n);
    }
    return true;
  }

  // Makes `to` equal to `from` by rewriting the chunks that differ; run
  // while nobody else can write `from`.
  bool CopyChanged(File& from, File& to, std::string& why) {
    const auto size = from.Size();
    if (!size.ok()) return Fail(why, size.error);
    for (std::uint64_t at = 0; at < size.value; at += kChunk) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size.value - at));
      auto read = from.ReadAt(at, std::span(buffer_.data(), n));
      if (!read.ok()) return Fail(why, read.error);
      if (read.value < n)
        std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(read.value),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(n), 0);
      auto old = to.ReadAt(at, std::span(other_.data(), n));
      if (!old.ok() || old.value != n || std::memcmp(buffer_.data(), other_.data(), n) != 0) {
        if (FileError e = to.WriteAt(at, std::span(buffer_.data(), n)); e != FileError::kNone)
          return Fail(why, e);
      }
    }
    const auto copied = to.Size();
    if (copied.ok() && copied.value > size.value) {
      if (FileError e = to.Truncate(size.value); e != FileError::kNone) return Fail(why, e);
    }
    return true;
  }

 private:
  bool Fail(std::string& why, FileError error) {
    why = FileErrorText(error);
    return false;
  }
  void Advance(std::size_t n) {
    done_ += n;
    if (progress_) progress_(std::min(done_, total_), total_);
  }

  std::uint64_t total_;
  std::uint64_t done_ = 0;
  const BackupProgress& progress_;
  std::vector<std::uint8_t> buffer_;
  std::vector<std::uint8_t> other_;
};

// Holds the whole-file lock of a data file, which every command of every
// desk that reads or writes the file or its long-value file needs a part of.
class WholeFileLock {
 public:
  explicit WholeFileLock(File& file) : file_(file) {
    platform::Waiting& waiting = platform::SystemWaiting();
    const std::uint32_t start = waiting.TickCount();
    for (;;) {
      const FileError e = file_.Lock(0, store::kWholeFileLockLength);
      if (e == FileError::kNone) {
        held_ = true;
        return;
      }
      if (e != FileError::kLockViolation || waiting.TickCount() - start >= kLockPatienceMs) return;
      waiting.Sleep(20 + waiting.TickCount() % 20);
    }
  }
  ~WholeFileLock() {
    if (held_) file_.Unlock(0, store::kWholeFileLockLength);
  }
  WholeFileLock(const WholeFileLock&) = delete;
  WholeFileLock& operator=(const WholeFileLock&) = delete;
  bool held() const { return held_; }

 private:
  File& file_;
  bool held_ = false;
};

std::uint64_t SizeOf(const std::string& gbk_path) {
  Opened opened = OpenSource(gbk_path, platform::FileAccess::kReadOnly);
  if (!opened.file) return 0;
  const auto size = opened.file->Size();
  return size.ok() ? size.value : 0;
}

// A data file's counts, read from a copy while it is verified; the problem
// found, or empty.
struct Checked {
  std::string problem;
  std::int32_t live = 0;
  std::int32_t distinct_first_field = 0;
};

Checked CheckCopy(const std::string& gbk_path, bool count_distinct) {
  Checked checked;
  store::DatabaseList list;
  store::OpenArguments args;
  args.file = gbk_path;
  args.read_only = true;
  args.password = std::string(kDeskPassword);
  if (!list.OpenDatabase(args)) {
    checked.problem =
        "打不开（数据库提示：" + Utf8(std::string(store::ErrorText(store::LastError()))) + "）";
    return checked;
  }
  store::Database& db = *list.current();
  store::VerifyResult verified = store::VerifyDatabase(db);
  if (!verified.problems.empty()) {
    checked.problem = verified.problems.front();
    return checked;
  }
  std::int32_t count = 0;
  if (db.ReadRecordCount(count, 0) != store::error::kOk) {
    checked.problem = "读不出记录数";
    return checked;
  }
  std::unordered_set<std::string> distinct;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t serial = 0;
    if (db.ReadSerial(i, serial) != store::error::kOk || serial <= 0) continue;
    ++checked.live;
    if (!count_distinct) continue;
    runtime::Value first;
    if (db.ReadFieldOf(i, 0, first) == store::error::kOk && first.IsText())
      distinct.insert(std::string(first.AsText()));
  }
  checked.distinct_first_field = static_cast<std::int32_t>(distinct.size());
  return checked;
}

std::string NumberText(std::int32_t n) { return std::to_string(n); }

bool WriteManifest(const std::string& folder, const LocalTime& when, const BackupCounts& counts) {
  const std::string file = Gbk(Join(folder, kManifest));
  const std::string section = Gbk("备份");
  char time[32];
  std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  return platform::WriteIniValue(file, section, Gbk("时间"), time) &&
         platform::WriteIniValue(file, section, Gbk("订单"), NumberText(counts.orders)) &&
         platform::WriteIniValue(file, section, Gbk("订单记录"), NumberText(counts.items)) &&
         platform::WriteIniValue(file, section, Gbk("客户"), NumberText(counts.customers)) &&
         platform::WriteIniValue(file, section, Gbk("小票"), NumberText(counts.receipts));
}

std::optional<BackupCounts> ReadManifest(const std::string& folder) {
  const std::string file = Gbk(Join(folder, kManifest));
  const std::string section = Gbk("备份");
  auto number = [&](const char* key) -> std::optional<std::int32_t> {
    std::optional<std::string> value = platform::ReadIniValue(file, section, Gbk(key));
    if (!value || !Digits(*value) || value->size() > 9) return std::nullopt;
    return Number(*value);
  };
  auto orders = number("订单"), items = number("订单记录"), customers = number("客户"),
       receipts = number("小票");
  if (!orders || !items || !customers || !receipts) return std::nullopt;
  return BackupCounts{*orders, *items, *customers, *receipts};
}

// Backup folders `destination` holds that the desk made, oldest first.
std::vector<std::string> BackupNames(const std::string& destination) {
  std::vector<std::string> names;
  for (const std::string& gbk_name : platform::SubfolderNames(Gbk(destination))) {
    const std::string name = Utf8(gbk_name);
    if (ParseStamp(name) && ReadManifest(Join(destination, name))) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class BackupMaker {
 public:
  explicit BackupMaker(const BackupRequest& request) : request_(request) {}

  BackupOutcome Run() {
    const std::string destination =
        request_.destination.empty() ? DefaultBackupFolder(request_.dir) : request_.destination;
    std::string missing;
    const std::vector<DeskPath> paths = DeskPathsIn(request_.dir, missing);
    if (!missing.empty()) return Failed("数据文件夹里没有" + missing);
    if (!platform::MakeFolders(Gbk(destination)))
      return Failed("无法建立备份文件夹 " + destination + "（位置不存在或没有写入权限）");
    // The copy is made in a folder of its own that no other desk backing up
    // at the same moment can be using, and takes its final name at the end.
    const std::string stamp = Stamp(request_.when);
    for (int n = 1; partial_.empty() && n <= 100; ++n) {
      const std::string folder =
          Join(destination, stamp + kPartialSuffix + (n > 1 ? "-" + std::to_string(n) : ""));
      if (platform::MakeNewFolder(Gbk(folder))) partial_ = folder;
    }
    if (partial_.empty())
      return Failed("无法在 " + destination + " 里建立文件夹（没有写入权限？）");

    std::uint64_t total = 0;
    for (const DeskPath& p : paths) total += SizeOf(p.path);
    const std::optional<std::uint64_t> free = platform::FreeSpaceBeside(Gbk(partial_));
    if (free && total > *free)
      return Failed("备份位置的空间不够：需要 " + std::to_string(total / 1048576 + 1) +
                    " MB，只剩 " + std::to_string(*free / 1048576) + " MB");
    Copier copier(total, request_.progress);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (!paths[i].data) {
        if (paths[i].name == kSettingsFile && !CopyPlain(paths[i], copier)) return outcome_;
        continue;
      }
      // A data file and its long-value file, copied together under one lock.
      const DeskPath* lv =
          i + 1 < paths.size() && !paths[i + 1].data && paths[i + 1].name != kSettingsFile
              ? &paths[i + 1]
              : nullptr;
      if (!CopyDataFile(paths[i], lv, copier)) return outcome_;
    }
    for (const DeskPath& p : paths) {
      if (!p.data) continue;
      const bool ledger = p.name == DeskFiles()[0].file_name;
      Checked checked = CheckCopy(Gbk(Join(partial_, p.name)), ledger);
      if (!checked.problem.empty())
        return Failed("复制出来的 " + p.name + " 校验没有通过：" + checked.problem);
      if (ledger) {
        counts_.items = checked.live;
        counts_.orders = checked.distinct_first_field;
      } else if (p.name == DeskFiles()[1].file_name) {
        counts_.customers = checked.live;
      } else {
        counts_.receipts = checked.live;
      }
    }
    if (!WriteManifest(partial_, request_.when, counts_))
      return Failed("无法写入 " + std::string(kManifest));
    std::string final_folder;
    for (int n = 1; final_folder.empty() && n <= 100; ++n) {
      const std::string folder = Join(destination, stamp + (n > 1 ? "-" + std::to_string(n) : ""));
      if (platform::MovePath(Gbk(partial_), Gbk(folder))) final_folder = folder;
    }
    if (final_folder.empty()) return Failed("无法把备份文件夹改名为 " + stamp);
    partial_.clear();
    outcome_.ok = true;
    outcome_.folder = final_folder;
    outcome_.counts = counts_;
    RemoveOld(destination);
    return outcome_;
  }

  ~BackupMaker() {
    // Nothing half-made is left looking like a backup, or at all.
    if (!partial_.empty()) platform::RemoveFolderTree(Gbk(partial_));
  }

 private:
  BackupOutcome Failed(std::string why) {
    outcome_.ok = false;
    outcome_.why = std::move(why);
    return outcome_;
  }
  bool Fail(std::string why) {
    Failed(std::move(why));
    return false;
  }

  std::unique_ptr<File> CreateCopy(const DeskPath& p) {
    platform::OpenedFile made = platform::CreateNewFile(Gbk(Join(partial_, p.name)));
    if (!made.file) Fail("无法在备份文件夹里建立 " + p.name + "：" + FileErrorText(made.error));
    return std::move(made.file);
  }

  bool Flushed(File& copy, const DeskPath& p) {
    if (copy.Flush() == FileError::kNone) return true;
    return Fail(p.name + " 的备份没有写到磁盘上");
  }

  bool CopyPlain(const DeskPath& p, Copier& copier) {
    Opened source = OpenSource(p.path, platform::FileAccess::kReadOnly);
    if (!source.file) return Fail(source.why);
    std::unique_ptr<File> copy = CreateCopy(p);
    if (!copy) return false;
    std::string why;
    if (!copier.CopyAll(*source.file, *copy, why)) return Fail(p.name + "：" + why);
    return Flushed(*copy, p);
  }

  bool CopyDataFile(const DeskPath& data, const DeskPath* lv, Copier& copier) {
    // Read-write, because only a writer may hold the lock that keeps the
    // other desks' writes out for the moment of the copy.
    Opened source = OpenSource(data.path, platform::FileAccess::kReadWrite);
    if (!source.file) return Fail(source.why);
    std::unique_ptr<File> copy = CreateCopy(data);
    if (!copy) return false;
    Opened lv_source;
    std::unique_ptr<File> lv_copy;
    if (lv) {
      lv_source = OpenSource(lv->path, platform::FileAccess::kReadOnly);
      if (!lv_source.file) return Fail(lv_source.why);
      lv_copy = CreateCopy(*lv);
      if (!lv_copy) return false;
    }
    std::string why;
    if (!copier.CopyAll(*source.file, *copy, why)) return Fail(data.name + "：" + why);
    if (lv && !copier.CopyAll(*lv_source.file, *lv_copy, why)) return Fail(lv->name + "：" + why);
    {
      WholeFileLock lock(*source.file);
      if (!lock.held())
        return Fail("另一个订单台一直在使用 " + data.name + "，备份没有做成，请稍后再试");
      if (!copier.CopyChanged(*source.file, *copy, why)) return Fail(data.name + "：" + why);
      if (lv && !copier.CopyChanged(*lv_source.file, *lv_copy, why))
        return Fail(lv->name + "：" + why);
    }
    return Flushed(*copy, data) && (!lv || Flushed(*lv_copy, *lv));
  }

  void RemoveOld(const std::string& destination) {
    std::vector<std::string> names = BackupNames(destination);
    const std::size_t keep = static_cast<std::size_t>(std::max(1, request_.keep));
    for (std::size_t i = 0; i + keep < names.size(); ++i) {
      const std::string folder = Join(destination, names[i]);
      if (platform::RemoveFolderTree(Gbk(folder))) outcome_.removed.push_back(folder);
    }
    // What a backup killed part-way left (a power cut, the desk ended) is
    // removed once its day is over: no backup of this day can still be
    // making it.
    const std::string suffix = kPartialSuffix;
    for (const std::string& gbk_name : platform::SubfolderNames(Gbk(destination))) {
      const std::string name = Utf8(gbk_name);
      const std::size_t at = name.find(suffix);
      if (at != 15 || !ParseStamp(name.substr(0, 15))) continue;
      if (name.compare(0, 8, Stamp(request_.when), 0, 8) == 0) continue;
      platform::RemoveFolderTree(Gbk(Join(destination, name)));
    }
  }

  const BackupRequest& request_;
  BackupOutcome outcome_;
  BackupCounts counts_;
  std::string partial_;
};

bool Later(const LocalTime& a, const LocalTime& b) {
  return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) >
         std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

}  // namespace

std::string DefaultBackupFolder(const std::string& dir) { return Join(dir, "备份"); }

BackupOutcome MakeBackup(const BackupRequest& request) { return BackupMaker(request).Run(); }

std::vector<BackupEntry> ListBackups(const std::string& destination) {
  std::vector<BackupEntry> entries;
  for (const std::string& name : BackupNames(destination)) {
    const std::string folder = Join(destination, name);
    entries.push_back({folder, name, *ParseStamp(name), *ReadManifest(folder)});
  }
  std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    return Later(a.when, b.when) || (!Later(b.when, a.when) && a.name > b.name);
  });
  return entries;
}

std::optional<LocalTime> NewestBackup(const std::string& destination) {
  std::vector<BackupEntry> entries = ListBackups(destination);
  if (entries.empty()) return std::nullopt;
  return entries.front().when;
}

namespace {

class Restorer {
 public:
  Restorer(const std::string& backup, const std::string& dir, const LocalTime& when)
      : backup_(backup), dir_(dir), when_(when) {}

  RestoreOutcome Run() {
    std::string missing;
    const std::vector<DeskPath> backed_up = DeskPathsIn(backup_, missing);
    if (!missing.empty()) return Failed("备份里没有" + missing);
    for (const DeskPath& p : backed_up) {
      if (!p.data) continue;
      Checked checked = CheckCopy(p.path, false);
      if (!checked.problem.empty())
        return Failed("备份里的 " + p.name + " 校验没有通过：" + checked.problem);
    }
    std::string none_missing;
    const std::vector<DeskPath> current = DeskPathsIn(dir_, none_missing);
    for (const DeskPath& p : current) {
      if (p.name == kSettingsFile) continue;
      platform::OpenedFile alone = platform::OpenFile(p.path, platform::FileAccess::kReadWrite,
                                                      platform::FileSharing::kExclusive);
      if (!alone.file && alone.error == FileError::kSharingViolation) {
        outcome_.in_use = true;
        return Failed("另一个订单台正在使用 " + p.name + "：请先关掉其他订单台，再恢复");
      }
      if (!alone.file) return Failed(Utf8(p.path) + "：" + FileErrorText(alone.error));
    }
    // The files in use are kept, whatever happens next.
    if (!current.empty()) {
      std::string replaced = Join(DefaultBackupFolder(dir_), "replaced-" + Stamp(when_));
      for (int n = 2; platform::PathExists(Gbk(replaced)); ++n)
        replaced =
            Join(DefaultBackupFolder(dir_), "replaced-" + Stamp(when_) + "-" + std::to_string(n));
      if (!platform::MakeFolders(Gbk(replaced))) return Failed("无法建立文件夹 " + replaced);
      outcome_.replaced = replaced;
      for (const DeskPath& p : current) {
        const std::string aside = Gbk(Join(replaced, Utf8(LastPart(p.path))));
        if (!platform::MovePath(p.path, aside)) {
          PutBack();
          return Failed("无法把 " + Utf8(p.path) + " 移到 " + replaced);
        }
        moved_.push_back({p.path, aside});
      }
    }
    for (const DeskPath& p : backed_up) {
      const std::string target = Gbk(Join(dir_, p.name));
      const std::string incoming = target + Gbk(kPartialSuffix);
      platform::RemoveFile(incoming);
      if (!CopyIn(p.path, incoming) || !platform::MovePath(incoming, target)) {
        platform::RemoveFile(incoming);
        RemovePlaced();
        PutBack();
        return Failed("无法把备份里的 " + p.name + " 复制到数据文件夹");
      }
      placed_.push_back(target);
    }
    for (const DeskPath& p : backed_up) {
      if (!p.data) continue;
      Checked checked = CheckCopy(Gbk(Join(dir_, p.name)), false);
      if (!checked.problem.empty()) {
        RemovePlaced();
        PutBack();
        return Failed("恢复出来的 " + p.name + " 校验没有通过：" + checked.problem);
      }
    }
    outcome_.ok = true;
    return outcome_;
  }

 private:
  RestoreOutcome Failed(std::string why) {
    outcome_.ok = false;
    outcome_.why = std::move(why);
    return outcome_;
  }

  bool CopyIn(const std::string& from, const std::string& to) {
    Opened source = OpenSource(from, platform::FileAccess::kReadOnly);
    if (!source.file) return false;
    platform::OpenedFile made = platform::CreateNewFile(to);
    if (!made.file) return false;
    std::string why;
    Copier copier(0, no_progress_);
    return copier.CopyAll(*source.file, *made.file, why) && made.file->Flush() == FileError::kNone;
  }

  void RemovePlaced() {
    for (const std::string& placed : placed_) platform::RemoveFile(placed);
    placed_.clear();
  }

  void PutBack() {
    for (const auto& [original, aside] : moved_) platform::MovePath(aside, original);
    moved_.clear();
  }

  const std::string& backup_;
  const std::string& dir_;
  const LocalTime& when_;
  RestoreOutcome outcome_;
  std::vector<std::pair<std::string, std::string>> moved_;
  std::vector<std::string> placed_;
  BackupProgress no_progress_;
};

}  // namespace

RestoreOutcome RestoreBackup(const std::string& backup, const std::string& dir,
                             const LocalTime& when) {
  return Restorer(backup, dir, when).Run();
}

}  // namespace desk
