// An order changed by another desk after this desk listed it (or opened its
// cancellation window) is not changed again from the stale list: the
// assistant is told, and the other desk's write stays. So is a customer.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "runtime/convert.h"
#include "store/record_store.h"
#include "tests/app/headless_desk.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::Utf8ToGbk;

const std::vector<std::string> kOrder = {"type 代购单号_编辑框 C001",
                                         "type 客户姓名 客户",
                                         "type 联系方法 1380000",
                                         "type 淘宝单号 TC001",
                                         "type 商品名称 商品",
                                         "type 商品单价 10",
                                         "type 商品链接 http://item.example/1",
                                         "type 实收款 4",
                                         "answer yes yes",
                                         "click 添加"};

const std::vector<std::string> kHandedOver = {
    "page 选择夹1 2", "click 到货查找", "click 全选",           "click 批量确认到货",
    "page 选择夹1 3", "click 提货查找", "type 提货人姓名 取货", "tick 提货超级列表框 0",
    "answer yes",     "click 提货"};

struct ChangedCase {
  const char* name;
  std::vector<std::string> listed;  // after the order: fill the list, open the window
  const char* other_desk_status;    // UTF-8: what the other desk writes into the status
  std::vector<std::string> act;
  int untouched_field;  // a field the refused action would have written
  const char* refusal = "MSG \"记录已改动\"";
};

std::vector<ChangedCase> Cases() {
  std::vector<std::string> after_sales_listed = kHandedOver;
  for (const char* line :
       {"page 选择夹1 4", "type 售后购订单号 C001", "click 售后编号查询", "tick 售后超级列表框 0"})
    after_sales_listed.push_back(line);
  return {
      {"arrival",
       {"page 选择夹1 2", "click 到货查找"},
       "悔单",
       {"click 全选", "click 批量确认到货"},
       12},
      {"pickup",
       {"page 选择夹1 2", "click 到货查找", "click 全选", "click 批量确认到货", "page 选择夹1 3",
        "click 提货查找"},
       "悔单",
       {"type 提货人姓名 取货", "tick 提货超级列表框 0", "answer yes", "click 提货"},
       14},
      {"cancellation",
       {"page 选择夹1 1", "type 查询购订单号 C001", "click 订单编号查询",
        "select 查询超级列表框1 0", "answer yes", "rightclick 查询超级列表框1", "menu 删除订单"},
       "悔单",
       {"type 编辑框1 不要了", "type 编辑框2 4", "answer yes", "click 按钮2"},
       16},
      // The step before is checked with the record held; its own message.
      {"after-sales arrival",
       after_sales_listed,
       "已提货",
       {"click 售后到货按钮"},
       17,
       "MSG \"错了\" \"还没寄出去呢！\""},
  };
}

class ChangedOrder : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChangedOrder, IsNotWrittenFromAStaleListAndTheAssistantIsTold) {
  const ChangedCase c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  std::vector<std::string> plan = kOrder;
  plan.insert(plan.end(), c.listed.begin(), c.listed.end());
  plan.push_back("@other desk");
  plan.insert(plan.end(), c.act.begin(), c.act.end());
  std::size_t next = 0;
  std::size_t mark = 0;
  std::string before;
  const std::string transcript =
      desk_test::RunDesk(dir.path(), [&](const std::string& so_far) -> std::optional<std::string> {
        if (next == plan.size()) return std::nullopt;
        if (plan[next] == "@other desk") {
          ++next;
          // What another desk's write does to the record meanwhile.
          store::SelectDatabase(Utf8ToGbk("流水账"));
          store::GoTo(1);
          EXPECT_TRUE(
              store::WriteField(18, runtime::Value::OfText(Utf8ToGbk(c.other_desk_status))));
          before = runtime::ToText(store::ReadField(c.untouched_field));
          mark = so_far.size();
        }
        return plan[next++];
      });
  EXPECT_NE(transcript.find(c.refusal, mark), std::string::npos) << transcript;
  EXPECT_EQ(transcript.find("SCRIPT-ERROR"), std::string::npos) << transcript;
  // The other desk's status stays, and nothing of the refused step is written.
  store::SelectDatabase(Utf8ToGbk("流水账"));
  store::GoTo(1);
  EXPECT_EQ(runtime::ToText(store::ReadField(18)), Utf8ToGbk(c.other_desk_status));
  EXPECT_EQ(runtime::ToText(store::ReadField(c.untouched_field)), before);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, ChangedOrder, ::testing::Range<std::size_t>(0, 4));

// Two customers of the same name and contact: when another desk deletes the
// one this desk's list shows first, the book moves the other into its
// record, and deleting from the stale row must not take the other.
TEST(ChangedCustomer, IsNotDeletedFromAStaleRowThatNowNamesAnother) {
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  std::vector<std::string> plan = {"page 选择夹1 6"};
  for (const char* id : {"110101199001010011", "110101199001010022"})
    for (const std::string& line : std::vector<std::string>{
             "type 客户管理姓名编辑框 张三", "type 客户管理联系编辑框 13800000001",
             std::string("type 身份证号码 ") + id, std::string("type 地址 地址") + id, "answer yes",
             "click 添加客户"})
      plan.push_back(line);
  for (const char* line :
       {"type 查找联系编辑框 13800000001", "click 查找客户", "@other desk",
        "select 客户超级列表框 0", "answer yes", "rightclick 客户超级列表框", "menu 删除"})
    plan.push_back(line);
  std::size_t next = 0;
  std::size_t mark = 0;
  const std::string transcript =
      desk_test::RunDesk(dir.path(), [&](const std::string& so_far) -> std::optional<std::string> {
        if (next == plan.size()) return std::nullopt;
        if (plan[next] == "@other desk") {
          ++next;
          store::SelectDatabase(Utf8ToGbk("客户库"));
          store::GoTo(1);
          EXPECT_TRUE(store::DeleteRecord());
          EXPECT_TRUE(store::PurgeDeleted());
          mark = so_far.size();
        }
        return plan[next++];
      });
  EXPECT_NE(transcript.find("MSG \"记录已改动\"", mark), std::string::npos) << transcript;
  store::SelectDatabase(Utf8ToGbk("客户库"));
  ASSERT_EQ(store::GetRecordCount(), 1);
  store::GoTo(1);
  EXPECT_EQ(runtime::ToText(store::ReadField(3)), Utf8ToGbk("110101199001010022"));
}

}  // namespace
