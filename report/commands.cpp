#include "report/commands.h"

#include <cmath>

#include "report/bindings.h"
#include "report/operations.h"
#include "report/printing.h"
#include "report/serial.h"
#include "runtime/convert.h"

namespace report {
namespace {

using runtime::Arg;
using runtime::Args;
using runtime::Value;

// A whole number argument, truncated toward zero; `fallback` when omitted.
std::int64_t WholeArg(Args args, std::size_t i, std::int64_t fallback) {
  const Value& v = Arg(args, i);
  if (v.IsNone()) return fallback;
  double d = v.IsNumeric() ? v.NumericValue() : runtime::ToNumber(v);
  if (std::isnan(d)) return 0;
  return static_cast<std::int64_t>(std::clamp(d, -9.0e18, 9.0e18));
}

Block BlockArg(Args args, std::size_t first) {
  return Block{WholeArg(args, first, 0), WholeArg(args, first + 1, 0), WholeArg(args, first + 2, 1),
               WholeArg(args, first + 3, 1)};
}

Table* DataSource(const Value& unit) {
  UnitTables* tables = CurrentBindings().tables;
  return tables != nullptr ? tables->DataSourceTable(unit) : nullptr;
}

Table* Grid(const Value& unit) {
  UnitTables* tables = CurrentBindings().tables;
  return tables != nullptr ? tables->GridTable(unit) : nullptr;
}

void Changed(const Value& unit) {
  if (UnitTables* tables = CurrentBindings().tables) tables->TableChanged(unit);
}

// A data-source command that changes the table and answers true or false.
template <typename Change>
runtime::Command Changing(Change change) {
  return [change](Args args) {
    Table* table = DataSource(Arg(args, 0));
    if (table == nullptr) return Value::Bool(false);
    bool done = change(*table, args);
    if (done) Changed(Arg(args, 0));
    return Value::Bool(done);
  };
}

}  // namespace

void RegisterReportCommands(runtime::CommandTable& table) {
  table.Add("DataSrcInsertRows", Changing([](Table& t, Args a) {
              return InsertRows(t, WholeArg(a, 1, 0), WholeArg(a, 2, 1));
            }));
  table.Add("DataSrcDeleteRows", Changing([](Table& t, Args a) {
              return DeleteRows(t, WholeArg(a, 1, 0), WholeArg(a, 2, 1));
            }));
  table.Add("DataSrcSetCellText", Changing([](Table& t, Args a) {
              return SetCellText(t, WholeArg(a, 1, 0), WholeArg(a, 2, 0),
                                 runtime::ToText(Arg(a, 3)));
            }));
  table.Add("DataSrcSetCellAttribute", Changing([](Table& t, Args a) {
              return SetCellAttribute(t, BlockArg(a, 1), WholeArg(a, 5, 1));
            }));
  table.Add("DataSrcMergeCells",
            Changing([](Table& t, Args a) { return MergeCells(t, BlockArg(a, 1)).has_value(); }));
  table.Add("DataSrcSetBorders", [](Args args) {
    if (Table* t = DataSource(Arg(args, 0))) {
      const auto flags = static_cast<std::uint32_t>(WholeArg(args, 5, border::kDefault));
      if (SetBorders(*t, BlockArg(args, 1), flags)) Changed(Arg(args, 0));
    }
    return Value();
  });
  table.Add("DataSrcGetData", [](Args args) {
    Table* t = DataSource(Arg(args, 0));
    return Value::OfBytes(t != nullptr ? WriteTable(*t) : Bytes{});
  });
  table.Add("DataSrcSetData", Changing([](Table& t, Args a) {
              const Value& bytes = Arg(a, 1);
              return bytes.type() == runtime::type::kByteSet && SetData(t, bytes.AsBytes());
            }));
  table.Add("GridPrintPreview", [](Args args) {
    if (Table* t = Grid(Arg(args, 0))) CurrentBindings().printing->Preview(Arg(args, 0), *t);
    return Value();
  });
  table.Add("GridPrint", [](Args args) {
    Table* t = Grid(Arg(args, 0));
    if (t == nullptr) return Value::OfText(print_text::NoTable());
    const Value& title = Arg(args, 2);
    Text job = title.IsNone() ? print_text::DefaultJobName() : runtime::ToText(title);
    if (job.empty()) job = print_text::DefaultJobName();
    return Value::OfText(
        CurrentBindings().printing->Print(Arg(args, 0), *t, WholeArg(args, 1, 1) == 1, job));
  });
}

}  // namespace report
