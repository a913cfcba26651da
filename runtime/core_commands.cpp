// The core commands in the command table, each reading its arguments by the
// one calling convention and calling its typed function.
#include "runtime/command_args.h"
#include "runtime/command_table.h"
#include "runtime/convert.h"
#include "runtime/money.h"
#include "runtime/system_commands.h"
#include "runtime/text_commands.h"
#include "runtime/time_commands.h"

namespace runtime {

void RegisterCoreCommands(CommandTable& table) {
  // Texts.
  table.Add("LeftText",
            [](Args args) { return Value::OfText(LeftText(TextArg(args, 0), IntArg(args, 1))); });
  table.Add("RightText",
            [](Args args) { return Value::OfText(RightText(TextArg(args, 0), IntArg(args, 1))); });
  table.Add("FindText", [](Args args) {
    return Value::Int(
        FindText(TextArg(args, 0), TextArg(args, 1), OptionalIntArg(args, 2), BoolArg(args, 3)));
  });
  table.Add("ReplaceSubText", [](Args args) {
    return Value::OfText(ReplaceSubText(TextArg(args, 0), TextArg(args, 1), TextArg(args, 2),
                                        OptionalIntArg(args, 3), OptionalIntArg(args, 4),
                                        BoolArg(args, 5)));
  });
  table.Add("SplitText", [](Args args) {
    return Value::TextArray(
        SplitText(TextArg(args, 0), TextArg(args, 1, ","), OptionalIntArg(args, 2)));
  });

  // Conversions.
  table.Add("ToNumber", [](Args args) { return Value::Double(ToNumber(Arg(args, 0))); });
  table.Add("ToText", [](Args args) { return Value::OfText(ToText(Arg(args, 0))); });
  table.Add("NumberToMoney", [](Args args) {
    return Value::OfText(NumberToMoney(NumberArg(args, 0), BoolArg(args, 1)));
  });

  // Dates.
  table.Add("AddToTime", [](Args args) {
    return Value::DateTime(AddToTime(DateTimeArg(args, 0), IntArg(args, 1), IntArg(args, 2)));
  });
  table.Add("DateOf", [](Args args) { return Value::DateTime(DateOf(DateTimeArg(args, 0))); });
  table.Add("YearOf", [](Args args) { return Value::Int(YearOf(DateTimeArg(args, 0))); });
  table.Add("MonthOf", [](Args args) { return Value::Int(MonthOf(DateTimeArg(args, 0))); });
  table.Add("DayOf", [](Args args) { return Value::Int(DayOf(DateTimeArg(args, 0))); });
  table.Add("Now", [](Args) { return Value::DateTime(Now()); });

  // The desktop.
  table.Add("CurrentDirectory", [](Args) { return Value::OfText(CurrentDirectory()); });
  table.Add("GetClipboardText", [](Args) { return Value::OfText(GetClipboardText()); });
  table.Add("SetClipboardText",
            [](Args args) { return Value::Bool(SetClipboardText(TextArg(args, 0))); });
  table.Add("MessageBox", [](Args args) {
    auto style = static_cast<std::uint32_t>(IntArg(args, 1));
    return Value::Int(
        MessageBox(Arg(args, 0), style, TextArg(args, 2, DefaultMessageBoxCaption())));
  });
  table.Add("ReadIniItem", [](Args args) {
    return Value::OfText(
        ReadIniItem(TextArg(args, 0), TextArg(args, 1), TextArg(args, 2), TextArg(args, 3)));
  });
  table.Add("WriteIniItem", [](Args args) {
    return Value::Bool(WriteIniItem(TextArg(args, 0), TextArg(args, 1), OptionalTextArg(args, 2),
                                    OptionalTextArg(args, 3)));
  });
}

}  // namespace runtime
