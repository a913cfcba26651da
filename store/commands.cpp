#include "store/commands.h"

#include "runtime/error_report.h"
#include "store/database_list.h"
#include "store/field_codec.h"

namespace store {
namespace {

using runtime::Args;
using runtime::Value;

// A numeric argument as an Int; `fallback` when omitted. Any other type
// ends the program: the command cannot be called that way.
std::int32_t IntArg(const Value& value, std::int32_t fallback) {
  if (value.IsNone()) return fallback;
  if (!value.IsNumeric()) runtime::RaiseRuntimeError(11);
  return static_cast<std::int32_t>(ConvertNumeric(value, runtime::type::kInt).AsInt64());
}

runtime::Text TextArg(const Value& value) {
  return value.IsText() ? value.AsText() : runtime::Text();
}

OpenArguments ReadOpenArguments(Args args) {
  OpenArguments out;
  out.file = TextArg(runtime::Arg(args, 0));
  out.alias = TextArg(runtime::Arg(args, 1));
  const Value& read_only = runtime::Arg(args, 2);
  out.read_only =
      (read_only.IsNumeric() || read_only.type() == runtime::type::kBool) &&
      (read_only.IsNumeric() ? read_only.NumericValue() == 1 : read_only.AsInt64() == 1);
  const Value& sharing = runtime::Arg(args, 3);
  if (sharing.IsNumeric())
    out.sharing = static_cast<std::int32_t>(ConvertNumeric(sharing, runtime::type::kInt).AsInt64());
  else if (!sharing.IsNone())
    out.sharing = static_cast<std::int32_t>(sharing.AsInt64());
  // The fifth argument is not used; the password counts only as a text.
  const Value& password = runtime::Arg(args, 5);
  if (password.IsText()) out.password = password.AsText();
  return out;
}

}  // namespace

void RegisterStoreCommands(runtime::CommandTable& table) {
  table.Add("OpenDatabase", [](Args args) {
    return Value::Bool(Databases().OpenDatabase(ReadOpenArguments(args)));
  });
  table.Add("SelectDatabase", [](Args args) {
    return Value::Bool(Databases().SelectDatabase(TextArg(runtime::Arg(args, 0))));
  });
  table.Add("GetRecordCount", [](Args) { return Value::Int(Databases().GetRecordCount()); });
  table.Add("GoFirst", [](Args) {
    Databases().GoFirst();
    return Value();
  });
  table.Add("GoLast", [](Args) { return Value::Bool(Databases().GoLast()); });
  table.Add("Skip", [](Args args) {
    return Value::Bool(Databases().Skip(IntArg(runtime::Arg(args, 0), 1)));
  });
  table.Add("GetRecordNumber", [](Args) { return Value::Int(Databases().GetRecordNumber()); });
  table.Add("GoTo", [](Args args) {
    return Value::Bool(Databases().GoTo(IntArg(runtime::Arg(args, 0), 0)));
  });
  table.Add("IsPastEnd", [](Args) { return Value::Bool(Databases().IsPastEnd()); });
  table.Add("AppendRecord", [](Args args) { return Value::Bool(Databases().AppendRecord(args)); });
  table.Add("DeleteRecord", [](Args args) {
    const Value& condition = runtime::Arg(args, 0);
    return Value::Bool(condition.IsNone() ? Databases().DeleteRecord()
                                          : Databases().DeleteRecord(condition));
  });
  table.Add("PurgeDeleted", [](Args) { return Value::Bool(Databases().PurgeDeleted()); });
  table.Add("ReadField", [](Args args) { return Databases().ReadField(runtime::Arg(args, 0)); });
  table.Add("WriteField", [](Args args) {
    return Value::Bool(Databases().WriteField(runtime::Arg(args, 0), runtime::Arg(args, 1)));
  });
  table.Add("FindRecord",
            [](Args args) { return Value::Bool(Databases().FindRecord(runtime::Arg(args, 0))); });
}

}  // namespace store
