// A write the record store refuses (here: another desk holds the ledger's
// header lock, as while it appends an order) ends in a message that names
// what was not saved and the store's reason; the receipt shows nothing of it.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/gbk.h"
#include "store/database_list.h"
#include "tests/app/headless_desk.h"
#include "tests/store/faulty_file.h"
#include "tests/support/temp_dir.h"

namespace {

// The header lock of a data file: its byte 16.
constexpr std::uint64_t kHeaderLockByte = 16;

TEST(FailedWrite, AnItemTheLedgerRefusesIsReportedAndNotDrawn) {
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));

  platform::OpenedFile other_desk =
      platform::OpenFile(platform::Utf8ToGbk(dir.File("流水账.ldg")),
                         platform::FileAccess::kReadWrite, platform::FileSharing::kShareAll);
  ASSERT_TRUE(other_desk.file);
  auto hold_header = [&] {
    ASSERT_EQ(other_desk.file->Lock(kHeaderLockByte, 1), platform::FileError::kNone);
  };

  const std::string transcript = desk_test::RunDeskScript(dir.path(),
                                                          "type 代购单号_编辑框 A001\n"
                                                          "type 客户姓名 张三\n"
                                                          "type 联系方法 1\n"
                                                          "type 淘宝单号 T1\n"
                                                          "type 商品单价 1\n"
                                                          "type 商品链接 http://item.example/1\n"
                                                          "type 实收款 1\n"
                                                          "answer yes\n"
                                                          "click 添加\n"
                                                          "dump 保存报表\n"
                                                          "dump 淘宝单号\n"
                                                          "dump-table 下单数据源\n",
                                                          hold_header);
  EXPECT_NE(transcript.find("MSG \"保存失败\" \"这一件商品的订单没有保存成功，请稍后再试。\\r\\n"
                            "数据库提示："),
            std::string::npos)
      << transcript;
  // Nothing changed on the form: no item row, the boxes as typed.
  EXPECT_NE(transcript.find("保存报表 text=\"保存报表\" enabled=0"), std::string::npos);
  EXPECT_NE(transcript.find("淘宝单号 text=\"T1\""), std::string::npos);
  EXPECT_EQ(transcript.find("合计"), std::string::npos);
}

}  // namespace

namespace {

// A sync that fails at the end of an action is told to the assistant with
// the system's reason, before the action's own message.
TEST(FailedSync, AnOrderWhoseSyncFailsSaysItMayNotBeOnTheDisk) {
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  auto faults = std::make_shared<store_test::Faults>();
  faults->fail_flush = 1;
  faults->sticky = true;
  store::Databases().SetOpener(store_test::FaultyOpener(faults, true));
  struct Restore {
    ~Restore() { store::Databases().SetOpener(platform::SystemFileOpener()); }
  } restore;

  const std::string transcript = desk_test::RunDeskScript(dir.path(),
                                                          "type 代购单号_编辑框 A001\n"
                                                          "type 客户姓名 张三\n"
                                                          "type 联系方法 1\n"
                                                          "type 淘宝单号 T1\n"
                                                          "type 商品单价 1\n"
                                                          "type 商品链接 http://item.example/1\n"
                                                          "type 实收款 1\n"
                                                          "answer yes\n"
                                                          "click 添加\n");
  EXPECT_NE(transcript.find("MSG \"写盘失败\" \"最后的修改可能没有写到磁盘上，断电后可能丢失。"
                            "\\r\\n系统提示："),
            std::string::npos)
      << transcript;
  EXPECT_GE(faults->flushes_seen, 1);
}

}  // namespace
