#include <gtest/gtest.h>

#include "runtime/command_table.h"
#include "store/commands.h"
#include "store/database_list.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

Value Call(const char* name, std::vector<Value> args = {}) {
  auto result = runtime::CallCommand(name, args);
  EXPECT_TRUE(result.has_value()) << name;
  return result.value_or(Value());
}

// The commands reach the process's open databases through the command
// table, with arguments as the order desk passes them.
TEST(StoreCommands, WorkThroughTheCommandTable) {
  RegisterStoreCommands(runtime::Commands());
  testing_support::TempDir dir;
  std::string path = PathIn(dir, "客户库.ldg");
  ASSERT_EQ(
      CreateDataFile(path, {Field("客户姓名", FieldType::kText, 40), Field("数", FieldType::kInt)},
                     "qkd3094716"),
      0);
  const Value none;
  EXPECT_EQ(Call("OpenDatabase", {Value::OfText(path), Value::OfText(Gbk("客户库")), none, none,
                                  none, Value::OfText("wrong")}),
            Value::Bool(false));
  EXPECT_EQ(LastError(), error::kPassword);
  // The password counts only as a text.
  EXPECT_EQ(Call("OpenDatabase", {Value::OfText(path), Value::OfText(Gbk("客户库")), none, none,
                                  none, Value::Int(5)}),
            Value::Bool(false));
  EXPECT_EQ(LastError(), error::kPassword);
  ASSERT_EQ(Call("OpenDatabase", {Value::OfText(path), Value::OfText(Gbk("客户库")), none, none,
                                  none, Value::OfText("qkd3094716"), none, none}),
            Value::Bool(true));
  EXPECT_EQ(Call("SelectDatabase", {Value::OfText(Gbk("客户库"))}), Value::Bool(true));
  EXPECT_EQ(Call("AppendRecord"), Value::Bool(true));
  EXPECT_EQ(Call("WriteField", {Value::Int(1), Value::OfText(Gbk("张三"))}), Value::Bool(true));
  EXPECT_EQ(Call("AppendRecord", {Value::OfText(Gbk("李四")), Value::Int(2)}), Value::Bool(true));
  EXPECT_EQ(Call("GetRecordCount"), Value::Int(2));
  EXPECT_EQ(Call("GoFirst"), Value());
  EXPECT_EQ(Call("ReadField", {Value::Int(1)}), Value::OfText(Gbk("张三")));
  EXPECT_EQ(Call("Skip"), Value::Bool(true));  // one record by default
  EXPECT_EQ(Call("GetRecordNumber"), Value::Int(2));
  EXPECT_EQ(Call("GoTo", {Value::Double(1.0)}), Value::Bool(true));
  EXPECT_EQ(Call("FindRecord", {Value::Bool(true)}), Value::Bool(true));
  EXPECT_EQ(Call("GoLast"), Value::Bool(true));
  EXPECT_EQ(Call("IsPastEnd"), Value::Bool(false));
  EXPECT_EQ(Call("DeleteRecord"), Value::Bool(true));
  EXPECT_EQ(Call("DeleteRecord", {Value::Bool(false)}), Value::Bool(true));
  EXPECT_EQ(Call("PurgeDeleted"), Value::Bool(true));
  EXPECT_EQ(Call("GetRecordCount"), Value::Int(1));

  // Read-only: the value 1 of any numeric or logical type.
  std::string other = PathIn(dir, "other.ldg");
  ASSERT_EQ(CreateDataFile(other, {Field("n", FieldType::kInt)}, ""), 0);
  EXPECT_EQ(Call("OpenDatabase", {Value::OfText(other), none, Value::Int(1)}), Value::Bool(true));
  EXPECT_EQ(Call("AppendRecord"), Value::Bool(false));
  EXPECT_EQ(LastError(), error::kAccessDenied);
}

}  // namespace
}  // namespace store
