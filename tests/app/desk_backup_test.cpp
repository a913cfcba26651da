// Backups of the desk's files: taken while another desk writes, put back in
// place, thinned out to the newest, made once a day at start-up, and never
// left half-made.
#include "app/desk_backup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/desk_files.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "store/database_list.h"
#include "tests/app/headless_desk.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tools/ldgtool/ldgtool.h"

namespace {

using platform::Utf8ToGbk;
using runtime::Value;
using testing_support::TempDir;
using testing_support::Utf8Of;
using testing_support::Utf8Path;

std::string Dir(const TempDir& dir) { return Utf8Of(dir.path()); }

platform::LocalTime Day(int day, int hour = 9) { return {2026, 12, day, hour, 0, 0}; }

bool OpenDeskFile(store::DatabaseList& list, const std::string& dir, const char* file) {
  store::OpenArguments args;
  args.file = Utf8ToGbk(dir + "/" + file);
  args.password = std::string(desk::kDeskPassword);
  return list.OpenDatabase(args);
}

std::string Dump(const std::string& dir, const char* file) {
  std::istringstream in;
  std::ostringstream out, err;
  const std::string path = dir + "/" + file;
  if (ldgtool::RunLdgTool({"dump", path, "--password", desk::kDeskPassword}, in, out, err) != 0)
    return "dump failed: " + err.str();
  return out.str();
}

desk::BackupOutcome BackUp(const std::string& dir, const platform::LocalTime& when, int keep = 30) {
  desk::BackupRequest request;
  request.dir = dir;
  request.keep = keep;
  request.when = when;
  return desk::MakeBackup(request);
}

// Version `v` of receipt `id`: its length and its one repeated byte both
// follow from the two, so a copy that mixed two versions shows it.
std::vector<std::uint8_t> ReceiptBytes(int id, int v) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(600 + (id * 7 + v * 131) % 1500),
                                   static_cast<std::uint8_t>((id + v) % 251 + 1));
}

bool IsAVersionOf(int id, const runtime::Bytes& bytes) {
  if (bytes.empty()) return false;
  for (std::uint8_t b : bytes)
    if (b != bytes[0]) return false;
  const int v = ((bytes[0] - 1 - id) % 251 + 251) % 251;
  for (int version = v; version < 100000; version += 251)
    if (bytes == ReceiptBytes(id, version)) return true;
  return false;
}

// Another desk: appends receipts, telling each one's number once it is
// saved, and rewrites an earlier receipt's bytes after each (a long value
// over several blocks). A refused command (the backup's lock) is tried
// again, as the assistant would.
CHILD_BODY(ReceiptWriter) {
  store::DatabaseList list;
  if (!OpenDeskFile(list, arguments.at(0), "报表库.ldg")) return 1;
  for (int id = 0;; ++id) {
    std::vector<Value> fields = {Value::OfText("R" + std::to_string(id)),
                                 Value::OfBytes(ReceiptBytes(id, 0)), Value::Double(0)};
    while (!list.AppendRecord(fields)) {
    }
    channel.SendInt(id);
    if (id > 0 && list.GoTo(id / 2 + 1))
      list.WriteField(Value::Int(2), Value::OfBytes(ReceiptBytes(id / 2, id)));
  }
}

TEST(Backup, HoldsEveryReceiptSavedBeforeItBeganWhileAnotherDeskWrites) {
  TempDir dir;
  ASSERT_TRUE(desk::MakeDeskFiles(Dir(dir)).ok());
  testing_support::ChildProcess writer("ReceiptWriter", {Dir(dir)});
  ASSERT_TRUE(writer.started());
  int saved = -1;
  for (int round = 1; round <= 3; ++round) {
    while (saved < round * 40) {
      std::optional<std::int32_t> id = writer.channel().ReceiveInt();
      ASSERT_TRUE(id) << "the writer stopped";
      saved = *id;
    }
    const desk::BackupOutcome backup = BackUp(Dir(dir), Day(1, round));
    ASSERT_TRUE(backup.ok) << backup.why;
    EXPECT_GE(backup.counts.receipts, saved + 1);
    store::DatabaseList copy;
    ASSERT_TRUE(OpenDeskFile(copy, backup.folder, "报表库.ldg"));
    ASSERT_GE(copy.GetRecordCount(), saved + 1);
    for (int id = 0; id < copy.GetRecordCount(); ++id) {
      ASSERT_TRUE(copy.GoTo(id + 1));
      EXPECT_EQ(copy.ReadField(Value::Int(1)).AsText(), "R" + std::to_string(id));
      EXPECT_TRUE(IsAVersionOf(id, copy.ReadField(Value::Int(2)).AsBytes())) << "receipt " << id;
    }
  }
  writer.Kill();
}

TEST(Backup, RestorePutsItBackKeepsTheFilesInUseAndWaitsForOtherDesks) {
  TempDir dir;
  ASSERT_TRUE(desk::MakeDeskFiles(Dir(dir)).ok());
  auto add_customer = [&](const char* name) {
    store::DatabaseList list;
    ASSERT_TRUE(OpenDeskFile(list, Dir(dir), "客户库.ldg"));
    const std::vector<Value> fields = {Value::OfText(Utf8ToGbk(name)), Value::OfText("1")};
    ASSERT_TRUE(list.AppendRecord(fields));
  };
  add_customer("甲");
  const desk::BackupOutcome backup = BackUp(Dir(dir), Day(1));
  ASSERT_TRUE(backup.ok) << backup.why;
  add_customer("乙");
  const std::string in_use = Dump(Dir(dir), "客户库.ldg");

  {
    store::DatabaseList other_desk;
    ASSERT_TRUE(OpenDeskFile(other_desk, Dir(dir), "客户库.ldg"));
    const desk::RestoreOutcome refused = desk::RestoreBackup(backup.folder, Dir(dir), Day(2));
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.in_use) << refused.why;
    EXPECT_EQ(Dump(Dir(dir), "客户库.ldg"), in_use);
  }

  const desk::RestoreOutcome restored = desk::RestoreBackup(backup.folder, Dir(dir), Day(2));
  ASSERT_TRUE(restored.ok) << restored.why;
  for (const char* file : {"流水账.ldg", "客户库.ldg", "报表库.ldg"})
    EXPECT_EQ(Dump(Dir(dir), file), Dump(backup.folder, file)) << file;
  EXPECT_EQ(Dump(restored.replaced, "客户库.ldg"), in_use);
  EXPECT_NE(restored.replaced.find("replaced-20261202-090000"), std::string::npos);
  std::string report;
  EXPECT_EQ(desk_test::VerifyDataFile(dir.path(), "报表库.ldg", report), 0) << report;
}

TEST(Backup, KeepsTheNewestItMadeAndLeavesNothingWhenItFails) {
  TempDir dir;
  ASSERT_TRUE(desk::MakeDeskFiles(Dir(dir)).ok());
  const std::string backups = desk::DefaultBackupFolder(Dir(dir));
  std::filesystem::create_directories(Utf8Path(backups + "/replaced-20261101-000000"));
  std::filesystem::create_directories(Utf8Path(backups + "/照片"));
  // Left by a backup killed part-way on an earlier day.
  std::filesystem::create_directories(Utf8Path(backups + "/20261130-230000.未完成/x"));
  for (int day = 1; day <= 3; ++day) ASSERT_TRUE(BackUp(Dir(dir), Day(day), 2).ok);
  // The progress goes up to the whole of what is copied.
  std::uint64_t last_done = 0, whole = 0;
  desk::BackupRequest request;
  request.dir = Dir(dir);
  request.keep = 2;
  request.when = Day(4);
  request.progress = [&](std::uint64_t done, std::uint64_t total) {
    EXPECT_GE(done, last_done);
    last_done = done;
    whole = total;
  };
  ASSERT_TRUE(desk::MakeBackup(request).ok);
  EXPECT_GT(whole, 0u);
  EXPECT_EQ(last_done, whole);
  std::vector<desk::BackupEntry> kept = desk::ListBackups(backups);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].name, "20261204-090000");
  EXPECT_EQ(kept[1].name, "20261203-090000");
  EXPECT_TRUE(std::filesystem::exists(Utf8Path(backups + "/replaced-20261101-000000")));
  EXPECT_TRUE(std::filesystem::exists(Utf8Path(backups + "/照片")));
  EXPECT_FALSE(std::filesystem::exists(Utf8Path(backups + "/20261130-230000.未完成")));

  std::filesystem::remove(Utf8Path(dir.File("客户库.ldg")));
  const desk::BackupOutcome failed = BackUp(Dir(dir), Day(5), 2);
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.why.find("客户库.ldg"), std::string::npos) << failed.why;
  std::size_t folders = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Utf8Path(backups)))
    folders += entry.is_directory() ? 1 : 0;
  EXPECT_EQ(folders, 4u);
}

// One start of the desk on the files of `dir` at `now`.
std::string StartDesk(const TempDir& dir, const std::string& now) {
  std::string transcript = desk_test::RunDeskScript(dir.path(), "now " + now + "\n");
  store::Databases().CloseAll();
  return transcript;
}

TEST(DailyBackup, IsMadeAtTheFirstStartOfEachDayAndItsAbsenceWarned) {
  TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  const std::string backups = desk::DefaultBackupFolder(Dir(dir));
  StartDesk(dir, "2026-12-01 09:00:00");
  StartDesk(dir, "2026-12-01 15:00:00");
  EXPECT_EQ(desk::ListBackups(backups).size(), 1u);
  StartDesk(dir, "2026-12-02 09:00:00");
  EXPECT_EQ(desk::ListBackups(backups).size(), 2u);

  // The backup place gone (a stick pulled out, a file where the folder
  // was): a failure within the week of the last good backup is told in the
  // status line, a later one in a box.
  ASSERT_TRUE(platform::WriteIniValue(Utf8ToGbk(dir.File("配置.ini")), Utf8ToGbk("备份"),
                                      Utf8ToGbk("位置"), Utf8ToGbk(dir.File("配置.ini") + "/盘")));
  const std::string soon = StartDesk(dir, "2026-12-05 09:00:00");
  EXPECT_NE(soon.find("STATUS \"今天的自动备份没有做成"), std::string::npos) << soon;
  EXPECT_EQ(soon.find("MSG \"备份提醒\""), std::string::npos) << soon;
  const std::string late = StartDesk(dir, "2026-12-20 09:00:00");
  EXPECT_NE(late.find("MSG \"备份提醒\""), std::string::npos) << late;
  EXPECT_NE(late.find("最近一次成功的备份是 2026-12-02，已经 18 天了"), std::string::npos) << late;
}

}  // namespace
