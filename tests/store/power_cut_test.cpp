// A power cut loses every write the disk was not made to keep. Through a
// file layer that, at a cut, takes back every write since the file's last
// sync, a workload is cut at every one of its writes: each action it was
// told had been made durable is there afterwards, and the files open and
// verify. ORDERDESK_POWER_CUT_ACTIONS sets the workload's length (the long
// variant runs 200).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

// What the disk holds of the writes not yet synced: at a cut, each is
// taken back, newest first.
struct PowerLine {
  int cut_at = 0;  // the write so numbered (1-based) never happens, nor any after it
  int writes = 0;
  bool cut = false;
  struct Undo {
    std::string path;
    std::uint64_t offset;
    std::vector<std::uint8_t> old_bytes;  // what lay at offset before
    std::uint64_t old_size;
  };
  std::vector<Undo> unsynced;

  // Puts every file back as its last sync left it.
  void TakeBackUnsynced() {
    for (auto undo = unsynced.rbegin(); undo != unsynced.rend(); ++undo) {
      platform::OpenedFile opened = platform::OpenFile(undo->path, platform::FileAccess::kReadWrite,
                                                       platform::FileSharing::kShareAll);
      ASSERT_TRUE(opened.file);
      ASSERT_EQ(opened.file->Truncate(undo->old_size), platform::FileError::kNone);
      ASSERT_EQ(opened.file->WriteAt(undo->offset, undo->old_bytes), platform::FileError::kNone);
      ASSERT_EQ(opened.file->Truncate(undo->old_size), platform::FileError::kNone);
    }
    unsynced.clear();
  }
};

class PowerCutFile : public platform::File {
 public:
  PowerCutFile(std::unique_ptr<platform::File> inner, std::string path,
               std::shared_ptr<PowerLine> power)
      : inner_(std::move(inner)), path_(std::move(path)), power_(std::move(power)) {}

  platform::FileResult<std::size_t> ReadAt(std::uint64_t offset,
                                           std::span<std::uint8_t> out) override {
    return inner_->ReadAt(offset, out);
  }
  platform::FileError WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (!Powered()) return platform::FileError::kHardware;
    Remember(offset, data.size());
    return inner_->WriteAt(offset, data);
  }
  platform::FileResult<std::uint64_t> Size() override { return inner_->Size(); }
  platform::FileError Truncate(std::uint64_t size) override {
    if (!Powered()) return platform::FileError::kHardware;
    const std::uint64_t old_size = inner_->Size().value;
    Remember(std::min(size, old_size), old_size > size ? old_size - size : 0);
    return inner_->Truncate(size);
  }
  // What this file was given is kept from now on.
  platform::FileError Flush() override {
    if (power_->cut) return platform::FileError::kHardware;
    std::erase_if(power_->unsynced,
                  [&](const PowerLine::Undo& undo) { return undo.path == path_; });
    return platform::FileError::kNone;
  }
  platform::FileError Lock(std::uint64_t offset, std::uint64_t length) override {
    return inner_->Lock(offset, length);
  }
  platform::FileError Unlock(std::uint64_t offset, std::uint64_t length) override {
    return inner_->Unlock(offset, length);
  }

 private:
  bool Powered() {
    if (!power_->cut && ++power_->writes == power_->cut_at) power_->cut = true;
    return !power_->cut;
  }
  void Remember(std::uint64_t offset, std::size_t length) {
    const std::uint64_t old_size = inner_->Size().value;
    std::vector<std::uint8_t> old(
        offset < old_size ? std::min<std::uint64_t>(length, old_size - offset) : 0);
    if (!old.empty()) inner_->ReadAt(offset, old);
    power_->unsynced.push_back({path_, offset, std::move(old), old_size});
  }

  std::unique_ptr<platform::File> inner_;
  std::string path_;
  std::shared_ptr<PowerLine> power_;
};

platform::FileOpener PowerCutOpener(std::shared_ptr<PowerLine> power) {
  return
      [power](std::string_view path, platform::FileAccess access, platform::FileSharing sharing) {
        platform::OpenedFile opened = platform::OpenFile(path, access, sharing);
        if (opened.file)
          opened.file =
              std::make_unique<PowerCutFile>(std::move(opened.file), std::string(path), power);
        return opened;
      };
}

int Actions() {
  const char* configured = std::getenv("ORDERDESK_POWER_CUT_ACTIONS");
  return configured != nullptr ? std::max(1, std::atoi(configured)) : 24;
}

std::string Note(int n) {
  return std::string(static_cast<std::size_t>(n * 97 % 1300), 'a' + n % 26);
}

TEST(PowerCut, EveryActionMadeDurableIsThereWhereverThePowerGoes) {
  testing_support::TempDir dir;
  const std::string path = PathIn(dir, "流水账.ldg");
  ASSERT_EQ(CreateDataFile(path, {Field("n", FieldType::kInt), Field("说明", FieldType::kLongText)},
                           kPassword),
            0);
  const std::vector<std::uint8_t> empty = FileBytes(path);
  const std::vector<std::uint8_t> empty_long = FileBytes(NewLongValueFileName(path));
  const int actions = Actions();
  // Each action appends record n, or rewrites an earlier record's note.
  auto run = [&](DatabaseList& list, std::map<int, std::string>& acknowledged) {
    for (int n = 1; n <= actions; ++n) {
      std::map<int, std::string> after = acknowledged;
      bool done = false;
      if (n % 3 == 0 && !acknowledged.empty()) {
        const int record = n / 3;
        done = list.GoTo(record) && list.WriteField(Value::Int(2), Value::OfText(Note(n)));
        after[record] = Note(n);
      } else {
        const std::vector<Value> values = {Value::Int(n), Value::OfText(Note(n))};
        done = list.AppendRecord(values);
        after[list.GetRecordCount()] = Note(n);
      }
      if (done && list.MakeDurable()) acknowledged = after;
    }
  };
  // The whole workload once, to count its writes.
  auto power = std::make_shared<PowerLine>();
  {
    DatabaseList list(PowerCutOpener(power));
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path, "", kPassword))) << LastError();
    std::map<int, std::string> acknowledged;
    run(list, acknowledged);
    ASSERT_EQ(acknowledged.size(), static_cast<std::size_t>(actions - actions / 3));
  }
  const int writes = power->writes;
  int lost = 0;
  for (int cut = 1; cut <= writes; ++cut) {
    WriteFileBytes(path, empty);
    WriteFileBytes(NewLongValueFileName(path), empty_long);
    power = std::make_shared<PowerLine>();
    power->cut_at = cut;
    std::map<int, std::string> acknowledged;
    {
      // The power may go while the file is opened (an open writes too).
      DatabaseList list(PowerCutOpener(power));
      if (list.OpenDatabase(OpenArgs(path, "", kPassword))) run(list, acknowledged);
    }
    power->TakeBackUnsynced();
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path, "", kPassword))) << "cut " << cut << " of " << writes << ": " << LastError();
    VerifyResult verified = VerifyDatabase(*list.current());
    ASSERT_TRUE(verified.problems.empty()) << "cut " << cut << ": " << verified.problems.front();
    for (const auto& [record, note] : acknowledged) {
      const bool there = list.GoTo(record) && list.ReadField(Value::Int(2)) == Value::OfText(note);
      lost += there ? 0 : 1;
      EXPECT_TRUE(there) << "cut " << cut << ": record " << record;
    }
  }
  std::printf("power cuts: %d, acknowledged actions lost: %d\n", writes, lost);
}

}  // namespace
}  // namespace store
