#include "tools/ldgtool/ldgtool.h"

#include <charconv>
#include <ctime>
#include <istream>
#include <optional>
#include <ostream>

#include "app/desk_backup.h"
#include "app/desk_files.h"
#include "platform/file.h"
#include "platform/gbk.h"
#include "platform/program_start.h"
#include "store/creator.h"
#include "store/database_list.h"
#include "store/repairer.h"
#include "store/verifier.h"
#include "tools/ldgtool/tsv.h"

namespace ldgtool {
namespace {

using store::FieldType;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kTypeNames[] = {"byte", "short",    "int",        "long", "float",   "double",
                                  "bool", "datetime", "subroutine", "text", "byteset", "longtext"};

const char* kUsageText =
    "usage: ldgtool init DIR\n"
    "       ldgtool create FILE [--password P] FIELD...   (FIELD: NAME:TYPE or NAME:text:WIDTH)\n"
    "       ldgtool info FILE [--password P]\n"
    "       ldgtool dump FILE [--password P]\n"
    "       ldgtool import FILE [--password P] < TSV\n"
    "       ldgtool verify FILE [--password P]\n"
    "       ldgtool repair FILE [--password P]\n"
    "       ldgtool backup DIR [--to DEST] [--keep N]\n"
    "       ldgtool restore BACKUP DIR\n";

std::string TypeName(FieldType type) { return kTypeNames[static_cast<int>(type) - 1]; }

std::optional<FieldType> ParseType(const std::string& word) {
  for (int code = 1; code <= 12; ++code)
    if (word == kTypeNames[code - 1] || word == std::to_string(code))
      return static_cast<FieldType>(code);
  return std::nullopt;
}

std::string Utf8(std::string_view gbk) { return platform::GbkToUtf8(gbk); }

struct Command {
  std::string verb;
  std::vector<std::string> words;  // everything but --password and its value
  std::optional<std::string> password;
};

class Tool {
 public:
  Tool(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

  int Run(const std::vector<std::string>& args) {
    Command command;
    if (args.empty()) return Usage();
    command.verb = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--password") {
        if (i + 1 >= args.size()) return Usage("--password needs a value");
        command.password = args[++i];
      } else {
        command.words.push_back(args[i]);
      }
    }
    if (command.verb == "init") {
      if (command.words.size() != 1 || command.password) return Usage();
      return Init(command.words[0]);
    }
    if (command.verb == "backup" && !command.password) return Backup(command.words);
    if (command.verb == "restore" && !command.password) {
      if (command.words.size() != 2) return Usage();
      return Restore(command.words[0], command.words[1]);
    }
    if (command.words.empty()) return Usage();
    const std::string& file = command.words[0];
    if (command.verb == "create") return Create(file, command);
    if (command.words.size() != 1) return Usage();
    if (command.verb == "info") return Info(file, command.password);
    if (command.verb == "dump") return Dump(file, command.password);
    if (command.verb == "import") return Import(file, command.password);
    if (command.verb == "verify") return Verify(file, command.password);
    if (command.verb == "repair") return Repair(file, command.password);
    return Usage("unknown command " + command.verb);
  }

 private:
  int Usage(const std::string& why = {}) {
    if (!why.empty()) err_ << "ldgtool: " << why << "\n";
    err_ << kUsageText;
    return kUsage;
  }

  int StoreError(const std::string& file, store::ErrorNumber number) {
    err_ << "ldgtool: " << file << ": error " << number << ": " << Utf8(store::ErrorText(number))
         << "\n";
    return kFailed;
  }

  // Opens `file` with the store; on failure says why and returns false.
  bool Open(store::DatabaseList& list, const std::string& file,
            const std::optional<std::string>& password, bool read_only) {
    store::OpenArguments args;
    args.file = platform::Utf8ToGbk(file);
    args.read_only = read_only;
    if (password) args.password = platform::Utf8ToGbk(*password);
    if (list.OpenDatabase(args)) return true;
    StoreError(file, store::LastError());
    return false;
  }

  int Init(const std::string& dir) {
    const desk::MadeDeskFiles made = desk::MakeDeskFiles(dir);
    if (!made.existing.empty()) {
      err_ << "ldgtool: " << made.existing << " exists; nothing was created\n";
      return kFailed;
    }
    for (const std::string& path : made.created) out_ << "created " << path << "\n";
    if (!made.failed.empty()) return StoreError(made.failed, made.error);
    return 0;
  }

  int Create(const std::string& file, const Command& command) {
    std::vector<store::NewField> fields;
    for (std::size_t i = 1; i < command.words.size(); ++i) {
      const std::string& field_word = command.words[i];
      std::vector<std::string> parts;
      std::size_t from = 0;
      for (std::size_t colon; (colon = field_word.find(':', from)) != std::string::npos;
           from = colon + 1)
        parts.push_back(field_word.substr(from, colon - from));
      parts.push_back(field_word.substr(from));
      std::optional<FieldType> type = parts.size() >= 2 ? ParseType(parts[1]) : std::nullopt;
      if (!type || parts.size() > 3 || (parts.size() == 3) != (*type == FieldType::kText))
        return Usage("bad field " + field_word + " (NAME:TYPE or NAME:text:WIDTH)");
      std::int32_t width = 0;
      if (parts.size() == 3) {
        auto [end, ec] = std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), width);
        if (ec != std::errc() || end != parts[2].data() + parts[2].size() || width <= 0)
          return Usage("bad width in " + field_word);
      }
      fields.push_back({platform::Utf8ToGbk(parts[0]), *type, width});
    }
    if (fields.empty()) return Usage("create needs at least one field");
    std::string gbk = store::WithDefaultExtension(platform::Utf8ToGbk(file));
    if (platform::PathExists(gbk)) {
      err_ << "ldgtool: " << Utf8(gbk) << " exists; nothing was created\n";
      return kFailed;
    }
    store::ErrorNumber result = store::CreateDataFile(gbk, fields, command.password.value_or(""));
    if (result != store::error::kOk) return StoreError(file, result);
    return 0;
  }

  int Info(const std::string& file, const std::optional<std::string>& password) {
    store::DatabaseList list;
    if (!Open(list, file, password, true)) return kFailed;
    store::Database& db = *list.current();
    std::int32_t count = 0, next_serial = 0;
    store::ErrorNumber result = db.ReadRecordCount(count, 2000, &next_serial);
    if (result != store::error::kOk) return StoreError(file, result);
    char version[16];
    std::snprintf(version, sizeof version, "0x%x", store::LoadU32(db.header().data() + 4));
    out_ << "magic\t" << std::string(db.header().begin(), db.header().begin() + 4) << "\n"
         << "version\t" << version << "\n"
         << "records\t" << count << "\n"
         << "next serial\t" << next_serial << "\n"
         << "record size\t" << db.record_size() << "\n"
         << "data start\t" << db.data_start() << "\n";
    for (std::size_t i = 0; i < db.fields().size(); ++i) {
      const store::FieldDescriptor& f = db.fields()[i];
      out_ << "field\t" << i + 1 << "\t" << Utf8(f.name) << "\t" << TypeName(f.type) << "\t"
           << f.offset << "\t" << f.StoredWidth() << "\n";
    }
    return 0;
  }

  int Dump(const std::string& file, const std::optional<std::string>& password) {
    store::DatabaseList list;
    if (!Open(list, file, password, true)) return kFailed;
    store::Database& db = *list.current();
    std::int32_t count = 0;
    store::ErrorNumber result = db.ReadRecordCount(count, 2000);
    if (result != store::error::kOk) return StoreError(file, result);
    out_ << "serial";
    for (const store::FieldDescriptor& f : db.fields()) out_ << "\t" << EscapeText(f.name);
    out_ << "\n";
    int status = 0;
    for (std::int32_t index = 0; index < count; ++index) {
      std::int32_t serial = 0;
      result = db.ReadSerial(index, serial);
      if (result != store::error::kOk) return StoreError(file, result);
      std::string line = std::to_string(serial);
      for (std::size_t i = 0; i < db.fields().size(); ++i) {
        runtime::Value value;
        result = db.ReadFieldOf(index, i, value);
        if (result != store::error::kOk) {
          err_ << "ldgtool: " << file << ": record " << index + 1 << " field " << i + 1
               << ": error " << result << ": " << Utf8(store::ErrorText(result)) << "\n";
          status = kFailed;
        }
        line += '\t';
        line += FormatCell(value, db.fields()[i].type);
      }
      out_ << line << "\n";
    }
    return status;
  }

  int Import(const std::string& file, const std::optional<std::string>& password) {
    store::DatabaseList list;
    if (!Open(list, file, password, false)) return kFailed;
    const std::vector<store::FieldDescriptor>& fields = list.current()->fields();
    // Every line is read and checked before anything is appended.
    std::vector<std::vector<runtime::Value>> records;
    std::string line;
    for (int number = 1; std::getline(in_, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (number == 1 && line.rfind("serial", 0) == 0) continue;
      if (line.empty()) continue;
      std::vector<std::string_view> cells;
      std::string_view rest(line);
      for (std::size_t tab; (tab = rest.find('\t')) != std::string_view::npos;
           rest.remove_prefix(tab + 1))
        cells.push_back(rest.substr(0, tab));
      cells.push_back(rest);
      if (cells.size() != fields.size() + 1) {
        err_ << "ldgtool: line " << number << ": " << cells.size() << " columns, expected "
             << fields.size() + 1 << "; nothing was imported\n";
        return kFailed;
      }
      std::vector<runtime::Value> values(fields.size());
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!ParseCell(cells[i + 1], fields[i].type, values[i])) {
          err_ << "ldgtool: line " << number << " field " << i + 1 << ": \"" << cells[i + 1]
               << "\" is not a " << TypeName(fields[i].type) << "; nothing was imported\n";
          return kFailed;
        }
      }
      records.push_back(std::move(values));
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
      if (!list.AppendRecord(records[r])) {
        err_ << "ldgtool: " << file << ": appending record " << r + 1 << " of " << records.size()
             << " failed (the ones before it were appended)\n";
        return StoreError(file, store::LastError());
      }
    }
    out_ << "appended " << records.size() << " records\n";
    return 0;
  }

  int Verify(const std::string& file, const std::optional<std::string>& password) {
    store::DatabaseList list;
    if (!Open(list, file, password, true)) return kUsage;
    store::VerifyResult result = store::VerifyDatabase(*list.current());
    for (const std::string& problem : result.problems) out_ << "problem: " << problem << "\n";
    for (const std::string& note : result.notes) out_ << "note: " << note << "\n";
    if (!result.problems.empty()) return kFailed;
    out_ << "ok: " << result.records << " records, " << result.chains << " long values\n";
    return 0;
  }

  // A copy of `path` beside it, named with the time: "book.ldg" becomes
  // "book-20261208-093000.ldg", so that a data file and its long-value file
  // copied at the same moment still belong together.
  std::optional<std::string> CopyAside(const std::string& gbk_path, const std::string& stamp) {
    // The name's stem and extension, after its folder; a backslash may be
    // the trail byte of a GBK character, so the name is walked.
    std::size_t folder_end = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < gbk_path.size(); i += platform::CharLength(gbk_path, i)) {
      if (gbk_path[i] == '/' || gbk_path[i] == '\\') folder_end = i + 1, dot = std::string::npos;
      if (gbk_path[i] == '.') dot = i;
    }
    if (dot == std::string::npos || dot <= folder_end) dot = gbk_path.size();
    const std::string stem = gbk_path.substr(0, dot);
    const std::string extension = gbk_path.substr(dot);
    // A file that grew sparse (a power cut after its size was set) may be
    // far larger than the disk's free space: the copy is not begun then.
    platform::OpenedFile opened = platform::OpenFile(gbk_path, platform::FileAccess::kReadOnly,
                                                     platform::FileSharing::kShareAll);
    const auto size = opened.file ? opened.file->Size() : platform::FileResult<std::uint64_t>{};
    opened.file.reset();
    const std::optional<std::uint64_t> free = platform::FreeSpaceBeside(gbk_path);
    if (size.ok() && free && size.value > *free) {
      err_ << "ldgtool: " << platform::GbkToUtf8(gbk_path, false) << ": " << size.value
           << " bytes do not fit in the " << *free
           << " bytes free beside it to copy it aside; nothing was changed\n";
      return std::nullopt;
    }
    for (int n = 1; n < 100; ++n) {
      std::string copy = stem + "-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + extension;
      if (platform::PathExists(copy)) continue;
      // The copy holds the same records as the file: its owner's only.
      if (!platform::CopyToNewFile(gbk_path, copy)) break;
      return platform::GbkToUtf8(copy, false);
    }
    err_ << "ldgtool: " << platform::GbkToUtf8(gbk_path, false)
         << ": cannot copy it aside; nothing was changed\n";
    return std::nullopt;
  }

  static platform::LocalTime Now() {
    const std::tm local = platform::ToLocalTime(std::time(nullptr));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
  }

  int Backup(const std::vector<std::string>& words) {
    desk::BackupRequest request;
    std::vector<std::string> dirs;
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (words[i] == "--to" || words[i] == "--keep") {
        if (i + 1 >= words.size()) return Usage(words[i] + " needs a value");
        const std::string& value = words[++i];
        if (words[i - 1] == "--to") {
          request.destination = value;
          continue;
        }
        int keep = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), keep);
        if (error != std::errc() || end != value.data() + value.size() || keep < 1)
          return Usage("--keep needs a number of at least 1");
        request.keep = keep;
      } else {
        dirs.push_back(words[i]);
      }
    }
    if (dirs.size() != 1) return Usage();
    request.dir = dirs[0];
    request.when = Now();
    const desk::BackupOutcome outcome = desk::MakeBackup(request);
    if (!outcome.ok) {
      err_ << "ldgtool: backup of " << request.dir << " failed: " << outcome.why << "\n";
      return kFailed;
    }
    for (const std::string& removed : outcome.removed) out_ << "removed " << removed << "\n";
    out_ << "orders " << outcome.counts.orders << ", ledger records " << outcome.counts.items
         << ", customers " << outcome.counts.customers << ", receipts " << outcome.counts.receipts
         << "\n";
    out_ << outcome.folder << "\n";
    return 0;
  }

  int Restore(const std::string& backup, const std::string& dir) {
    const desk::RestoreOutcome outcome = desk::RestoreBackup(backup, dir, Now());
    if (!outcome.ok) {
      err_ << "ldgtool: restore of " << backup << " into " << dir << " refused: " << outcome.why
           << "\n";
      return kFailed;
    }
    if (!outcome.replaced.empty())
      out_ << "the files that were in use are in " << outcome.replaced << "\n";
    out_ << "restored " << backup << " into " << dir << "\n";
    return 0;
  }

  int Repair(const std::string& file, const std::optional<std::string>& password) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local = platform::ToLocalTime(now);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    auto copy_aside = [&](const std::string& data_path, const std::string& long_path) {
      for (const std::string* path : {&data_path, &long_path}) {
        if (path->empty()) continue;
        std::optional<std::string> copy = CopyAside(*path, stamp);
        if (!copy) return false;
        out_ << "copied " << Utf8(*path) << " to " << *copy << "\n";
      }
      return true;
    };
    std::optional<std::string> gbk_password;
    if (password) gbk_password = platform::Utf8ToGbk(*password);
    store::RepairResult result =
        store::RepairDatabase(platform::Utf8ToGbk(file), gbk_password, copy_aside);
    for (const std::string& change : result.changes) out_ << "changed: " << change << "\n";
    for (const std::string& left : result.unmended) out_ << "not mended: " << left << "\n";
    if (result.error != store::error::kOk) {
      if (result.error != store::error::kUnknown) StoreError(file, result.error);
      out_ << "the files were left as they were\n";
      return kUsage;
    }
    if (result.changes.empty()) out_ << "nothing needed mending\n";
    return Verify(file, password) == 0 ? 0 : kFailed;
  }

  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int RunLdgTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
  return Tool(in, out, err).Run(args);
}

}  // namespace ldgtool
