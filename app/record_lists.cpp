#include "app/record_lists.h"

#include <array>

#include "app/desk_units.h"
#include "app/list_units.h"
#include "forms/form_runtime.h"
#include "forms/units/list_view.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/date_time.h"
#include "runtime/time_commands.h"
#include "store/database_list.h"
#include "store/errors.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Text;
using runtime::Value;

const RowMap ArrivalRows("到货超级列表框");
const RowMap PickupRows("提货超级列表框");
const RowMap AfterSalesRows("售后超级列表框");
const RowMap CustomerRows("客户超级列表框");
const RowMap QueryRows("查询超级列表框1");
Text LastQueryKind;

std::int32_t RowMap::RecordOf(int row) const { return ListRows(list_).Record(row); }

std::vector<std::int32_t> RowMap::Records() const {
  const ListRows list(list_);
  std::vector<std::int32_t> records;
  records.reserve(static_cast<std::size_t>(list.Count()));
  for (int row = 0; row < list.Count(); ++row) records.push_back(list.Record(row));
  return records;
}

void ResetRecordLists() { Text().swap(LastQueryKind); }

bool DateRange::Contains(double date_time) const {
  const double day = runtime::LinearDays(date_time);
  return runtime::LinearDays(from) <= day && day < runtime::LinearDays(to);
}

DateRange DayRange(double start_picker, double end_picker) {
  return {runtime::DateOf(start_picker),
          runtime::DateOf(runtime::AddToTime(
              end_picker, static_cast<std::int32_t>(runtime::TimeUnit::kHour), 24))};
}

DateRange PickerRange(std::string_view start_picker, std::string_view end_picker) {
  auto date = [](std::string_view picker) {
    return forms::FormRuntime::Current()
        ->ReadProperty(Ref(Main(picker)), forms::property::kSelectedDate)
        .AsDouble();
  };
  return DayRange(date(start_picker), date(end_picker));
}

namespace {

using Kind = FieldTest::Kind;

// Column sets, in display order.
constexpr std::array<ListColumn, 9> kSetA = {{{2}, {1}, {3}, {4}, {5}, {11}, {8}, {9}, {18}}};
constexpr std::array<ListColumn, 9> kSetB = {{{2}, {1}, {3}, {4}, {5}, {12}, {8}, {9}, {18}}};
constexpr std::array<ListColumn, 12> kSetC = {{{2},
                                               {1},
                                               {3},
                                               {4},
                                               {5},
                                               {12},
                                               {8},
                                               {9},
                                               {18},
                                               {15, CellKind::kDate},
                                               {16},
                                               {17, CellKind::kDate}}};
constexpr std::array<ListColumn, 5> kSetD = {{{1}, {2}, {3}, {4}, {5}}};
constexpr std::array<ListColumn, 16> kSetE = {{{2},
                                               {1},
                                               {3},
                                               {4},
                                               {5},
                                               {11},
                                               {8},
                                               {9},
                                               {18},
                                               {12, CellKind::kCancelledDate},
                                               {13, CellKind::kDate},
                                               {14},
                                               {15, CellKind::kDate},
                                               {16},
                                               {17, CellKind::kDate},
                                               {20}}};
// The fund page's two lists.
constexpr std::array<ListColumn, 13> kDepositColumns = {{{2},
                                                         {1},
                                                         {3},
                                                         {4},
                                                         {5},
                                                         {11},
                                                         {7},
                                                         {8},
                                                         {9},
                                                         {18},
                                                         {12, CellKind::kDate},
                                                         {13, CellKind::kDate},
                                                         {14}}};
constexpr std::array<ListColumn, 14> kPickupBalanceColumns = {{{2},
                                                               {1},
                                                               {3},
                                                               {4},
                                                               {5},
                                                               {7},
                                                               {21},
                                                               {11},
                                                               {8},
                                                               {9},
                                                               {18},
                                                               {12, CellKind::kDate},
                                                               {13, CellKind::kDate},
                                                               {14}}};

constexpr std::array<std::string_view, 3> kArrivalActions = {"全选", "反选", "批量确认到货"};
constexpr std::array<std::string_view, 2> kPickupActions = {"提货", "提货人姓名"};
constexpr std::array<std::string_view, 5> kAfterSalesActions = {
    "售后情况", "提交说明", "售后到货按钮", "售后提货", "售后提货人"};

constexpr std::string_view kLedger = "流水账";
constexpr std::string_view kCustomerBook = "客户库";

const std::array<RecordList, 13>& Table() {
  static const std::array<RecordList, 13> kTable = {{
      {"到货超级列表框",
       kLedger,
       {Kind::kEqualsLiteral, 18, "没到货"},
       std::nullopt,
       kSetA,
       &ArrivalRows,
       "所有订单都已经到货！",
       "全部到货",
       kArrivalActions},
      {"到货超级列表框",
       kLedger,
       {Kind::kEqualsBox, 2, "到货淘宝单号"},
       FieldTest{Kind::kEqualsLiteral, 18, "没到货"},
       kSetA,
       &ArrivalRows,
       "无此订单到货的信息！\r\n（请确认订单号）",
       "查询失败",
       kArrivalActions},
      {"提货超级列表框",
       kLedger,
       {Kind::kEqualsLiteral, 18, "已到货"},
       std::nullopt,
       kSetB,
       &PickupRows,
       "无未提货的订单信息！！",
       "查找失败",
       kPickupActions},
      {"提货超级列表框",
       kLedger,
       {Kind::kEqualsBox, 1, "提货订购单号"},
       FieldTest{Kind::kEqualsLiteral, 18, "已到货"},
       kSetB,
       &PickupRows,
       "三种情况：\r\n\r\n1、订单没到货！\r\n2、订单被提走！\r\n3、订单信息输入错误！",
       "找不到你要的东西",
       kPickupActions},
      {"售后超级列表框",
       kLedger,
       {Kind::kEqualsBox, 1, "售后购订单号"},
       FieldTest{Kind::kNotEmpty, 14, ""},
       kSetC,
       &AfterSalesRows,
       "无此订单信息！",
       "",
       kAfterSalesActions},
      {"客户超级列表框",
       kCustomerBook,
       {Kind::kEvery, 0, ""},
       std::nullopt,
       kSetD,
       &CustomerRows,
       "",
       "",
       {}},
      {"客户超级列表框",
       kCustomerBook,
       {Kind::kEqualsBox, 1, "查找客户姓名编辑框"},
       std::nullopt,
       kSetD,
       &CustomerRows,
       "无此客户信息！",
       "",
       {}},
      {"客户超级列表框",
       kCustomerBook,
       {Kind::kEqualsBox, 2, "查找联系编辑框"},
       std::nullopt,
       kSetD,
       &CustomerRows,
       "无此客户信息！",
       "",
       {}},
      {"查询超级列表框1",
       kLedger,
       {Kind::kEqualsBox, 1, "查询购订单号"},
       std::nullopt,
       kSetE,
       &QueryRows,
       "无此订单信息！",
       "",
       {}},
      {"查询超级列表框1",
       kLedger,
       {Kind::kEqualsBox, 8, "查询订购客户姓名"},
       std::nullopt,
       kSetE,
       &QueryRows,
       "无此客户订单信息！",
       "",
       {}},
      {"查询超级列表框1",
       kLedger,
       {Kind::kInDateRange, 11, ""},
       std::nullopt,
       kSetE,
       &QueryRows,
       "",
       "",
       {}},
      {"订金查询超级列表框",
       kLedger,
       {Kind::kInDateRange, 11, ""},
       std::nullopt,
       kDepositColumns,
       nullptr,
       "",
       "",
       {}},
      {"提货余款查询超级列表框",
       kLedger,
       {Kind::kInDateRange, 13, ""},
       std::nullopt,
       kPickupBalanceColumns,
       nullptr,
       "",
       "",
       {}},
  }};
  return kTable;
}

bool TextEquals(const Value& value, std::string_view text) {
  return value.IsText() ? value.AsText() == text : runtime::ToText(value) == text;
}

double DateTimeOf(const Value& value) {
  return value.type() == runtime::type::kDateTime ? value.AsDouble() : value.NumericValue();
}

// A test with its texts resolved once, before the walk: the box text decides
// the list's contents as it stands when the fill starts.
class ResolvedTest {
 public:
  ResolvedTest(const FieldTest& test, const DateRange& range) : test_(test), range_(range) {
    if (test.kind == Kind::kEqualsLiteral)
      text_ = platform::Utf8ToGbk(test.text);
    else if (test.kind == Kind::kEqualsBox)
      text_ = ReadText(Main(test.text));
  }

  // Reads the test's field of the record under examination.
  bool Holds() const {
    if (test_.kind == Kind::kEqualsLiteral || test_.kind == Kind::kEqualsBox ||
        test_.kind == Kind::kNotEmpty) {
      // A text field is compared where it lies, with no value made of it
      // and no more of it deciphered than the test needs: the test runs on
      // every record of the ledger.
      if (test_.kind != Kind::kNotEmpty) {
        if (const std::optional<bool> is = store::CurrentTextIs(test_.field, text_)) return *is;
      } else if (const std::optional<std::string_view> text = store::CurrentText(test_.field, 1)) {
        return !text->empty();
      }
    }
    if (test_.kind == Kind::kInDateRange) {
      // Read where it lies too: the date tests of the date query and the
      // fund page run on every record.
      store::Database* db = store::Databases().current();
      if (db != nullptr && test_.field >= 1 &&
          static_cast<std::size_t>(test_.field) <= db->fields().size())
        if (const std::optional<double> day =
                db->NumberOfCurrent(static_cast<std::size_t>(test_.field - 1)))
          return range_.Contains(*day);
    }
    Value value = store::ReadField(test_.field);
    switch (test_.kind) {
      case Kind::kEvery:
        return true;
      case Kind::kEqualsLiteral:
      case Kind::kEqualsBox:
        return TextEquals(value, text_);
      case Kind::kNotEmpty:
        return !TextEquals(value, "");
      case Kind::kInDateRange:
        return range_.Contains(DateTimeOf(value));
    }
    return false;
  }

 private:
  FieldTest test_;
  DateRange range_;
  Text text_;
};

void ShowEmptyMessage(const RecordList& table_row) {
  const Text text = platform::Utf8ToGbk(table_row.empty_text);
  if (table_row.empty_title.empty())
    Tell(text);
  else
    Ask(text, box::kOk, platform::Utf8ToGbk(table_row.empty_title));
}

void ReportUnreadList(store::ErrorNumber error) {
  Ask("列表没有读完整，可能少了一些记录，请稍后再查找。\r\n数据库提示："_gbk +
          Text(store::ErrorText(error)),
      box::kStop, "读取失败"_gbk);
}

// Writes what `column` shows of the current record straight into the
// batch's open cell: a text field as it lies in the record, any other
// field formatted once. Returns the read's error.
store::ErrorNumber WriteCell(store::Database& db, const ListColumn& column, Value& scratch,
                             runtime::DateTimeTexts& dates, Text& cell) {
  static const Text& kCancelled = "悔单"_gbk;
  static const Text& kCancelledAt = "悔单时间："_gbk;
  static const Text& kNeverSet = "1899年12月30日"_gbk;
  static const Text& kDash = "——"_gbk;
  const auto field = static_cast<std::size_t>(column.field - 1);
  if (column.kind == CellKind::kPlain) {
    if (const std::optional<std::string_view> text = db.TextOfCurrent(field)) {
      cell += *text;
      return store::error::kOk;
    }
  }
  store::ErrorNumber read = store::error::kOk;
  if (const std::optional<double> number = db.NumberOfCurrent(field))
    scratch = db.fields()[field].type == store::FieldType::kDateTime ? Value::DateTime(*number)
                                                                     : Value::Double(*number);
  else
    read = db.ReadField(field, scratch);
  if (column.kind == CellKind::kPlain) {
    if (scratch.type() == runtime::type::kDateTime)
      dates.Append(scratch.AsDouble(), cell);
    else
      runtime::AppendText(scratch, cell);
    return read;
  }
  store::ErrorNumber result = read;
  if (column.kind == CellKind::kCancelledDate) {
    // A cancellation stores its time in the arrival-time field.
    bool cancelled = false;
    if (const std::optional<std::string_view> status = db.TextOfCurrent(17)) {
      cancelled = *status == kCancelled;
    } else {
      Value status_value;
      result = db.ReadField(17, status_value);
      cancelled = TextEquals(status_value, kCancelled);
    }
    if (cancelled) cell += kCancelledAt;
  }
  // DateCellText, written in place; the zero date-time, a date never set,
  // is most of them.
  if (scratch.type() == runtime::type::kDateTime && scratch.AsDouble() == 0) {
    cell += kDash;
    return read != store::error::kOk ? read : result;
  }
  const std::size_t start = cell.size();
  if (scratch.type() == runtime::type::kDateTime)
    dates.Append(scratch.AsDouble(), cell);
  else
    runtime::AppendText(scratch, cell);
  if (std::string_view(cell).substr(start) == kNeverSet) {
    cell.resize(start);
    cell += kDash;
  }
  return read != store::error::kOk ? read : result;
}

}  // namespace

const RecordList& RecordListOf(ListId id) { return Table()[static_cast<std::size_t>(id)]; }

Text DateCellText(const Value& date_time) {
  Text text = runtime::ToText(date_time);
  if (text == "1899年12月30日"_gbk) return "——"_gbk;
  return text;
}

int FillRecordList(ListId id, const FillExtras& extras) {
  const RecordList& table_row = RecordListOf(id);
  ListRows list(table_row.list);
  const bool selected = store::SelectDatabase(platform::Utf8ToGbk(table_row.alias));
  store::GoFirst();
  list.Clear();

  // The rows reach the list view together once the walk is done, each with
  // the number of its record; their texts are written once, straight into
  // the list's own form.
  forms::ListRowBatch rows_made(table_row.columns.size());
  // At most one row per record.
  if (selected) rows_made.Reserve(static_cast<std::size_t>(store::GetRecordCount()));
  store::Database* db = store::Databases().current();
  Value scratch;
  // One per column: each column's dates come in runs of a day.
  std::vector<runtime::DateTimeTexts> dates(table_row.columns.size());
  // Set when the walk or a read was refused part-way (another desk appending or
  // writing at that moment): the list then lacks records, which the
  // assistant must be told rather than shown "nothing found".
  store::ErrorNumber unread = store::error::kOk;
  auto add_row = [&] {
    // The listed record is read in most of its fields, the totals' too:
    // deciphered whole once.
    db->DecipherCurrentRecord();
    for (std::size_t c = 0; c < table_row.columns.size(); ++c) {
      const store::ErrorNumber read =
          WriteCell(*db, table_row.columns[c], scratch, dates[c], rows_made.OpenCell());
      rows_made.CloseCell();
      if (read != store::error::kOk) unread = read;
    }
    rows_made.EndRow(store::GetRecordNumber());
    if (extras.on_listed) extras.on_listed();
  };

  if (!selected) {
    // Without its data file the list stays empty; start-up has said why.
  } else if (table_row.condition.kind == Kind::kEvery) {
    // Every record, in one pass read from memory; should the pass stop
    // early (another desk holding the file), the rest is read record by
    // record as before.
    const std::int32_t count = store::GetRecordCount();
    std::int32_t listed = 0;
    store::ScanAsCurrent([&](std::int32_t) {
      if (listed == count) return false;
      add_row();
      ++listed;
      return true;
    });
    if (listed > 0) {
      store::GoTo(listed);
      store::Skip();
    }
    for (std::int32_t i = listed; i < count; ++i) {
      add_row();
      store::Skip();
    }
  } else {
    const ResolvedTest condition(table_row.condition, extras.range);
    const std::optional<ResolvedTest> extra =
        table_row.extra ? std::optional<ResolvedTest>(std::in_place, *table_row.extra, extras.range)
                        : std::nullopt;
    // One pass over the file, each record read once from memory, lists the
    // records a search from each match onwards would find. The cursor ends
    // where that walk leaves it: after the last record that met the
    // condition, or on the first record.
    std::int32_t after_last_match = 0;
    const bool complete = store::ScanAsCurrent([&](std::int32_t index) {
      if (!condition.Holds()) return true;
      if (!extra || extra->Holds()) add_row();
      after_last_match = index + 1;
      return true;
    });
    if (!complete) unread = store::LastError();
    if (after_last_match > 0) {
      store::GoTo(after_last_match);
      store::Skip();
    }
  }

  list.AppendAll(std::move(rows_made));
  const int rows = list.Count();
  for (std::string_view unit : table_row.action_units) Enable(Main(unit), rows > 0);
  if (unread != store::error::kOk)
    ReportUnreadList(unread);
  else if (rows == 0 && extras.show_empty_message && !table_row.empty_text.empty())
    ShowEmptyMessage(table_row);
  return rows;
}

bool ForEachTickedRow(std::string_view list_name, const RowMap& rows,
                      const std::function<bool(int row)>& action) {
  store::SelectDatabase(platform::Utf8ToGbk(kLedger));
  store::GoFirst();
  ListRows list(list_name);
  const int count = list.Count();
  for (int row = 0; row < count; ++row) {
    const std::int32_t record = rows.RecordOf(row);
    if (!list.Ticked(row) || record <= 0) continue;
    store::GoTo(record);
    if (!action(row)) return false;
  }
  return true;
}

int TickedRowCount(std::string_view list_name) {
  ListRows list(list_name);
  int ticked = 0;
  for (int row = 0; row < list.Count(); ++row) ticked += list.Ticked(row) ? 1 : 0;
  return ticked;
}

}  // namespace desk
