// The record lists: every list page of the main window is filled by one
// procedure, FillRecordList, which walks a data file from its first record,
// keeps the records that match the list's condition and writes one row per
// record with the list's fixed column set. Beside each list the desk keeps a
// row map, the record numbers of its rows in row order; every later action
// on a row takes the record number from the map instead of searching again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace desk {

// Every ledger list shows the order number in this column.
constexpr int kOrderNumberColumn = 1;

// Row i of a list shows the record whose 1-based record number the map gives
// for row i. The numbers travel with their rows inside the list view (each
// row's data word), so a map follows every sort of its list and always has
// exactly as many entries as the list has rows; a row that shows no record
// (the totals rows of a date query) maps to 0. A fill replaces the map with
// its rows.
class RowMap {
 public:
  explicit constexpr RowMap(std::string_view list) : list_(list) {}

  std::string_view list() const { return list_; }
  // The record shown in `row`; 0 for a row that shows none or does not exist.
  std::int32_t RecordOf(int row) const;
  // Every row's record number, in row order.
  std::vector<std::int32_t> Records() const;

 private:
  std::string_view list_;  // UTF-8 layout name of the list view
};

extern const RowMap ArrivalRows;     // 到货超级列表框, ledger
extern const RowMap PickupRows;      // 提货超级列表框, ledger
extern const RowMap AfterSalesRows;  // 售后超级列表框, ledger
extern const RowMap CustomerRows;    // 客户超级列表框, customer book
extern const RowMap QueryRows;       // 查询超级列表框1, ledger

// Which query last filled the query list ("订单号", "姓名" or "日期", GBK);
// empty until the first query. The cancellation repeats that query.
extern runtime::Text LastQueryKind;

// Clears LastQueryKind (the desk's exit routine, tests); the row maps go
// with their lists.
void ResetRecordLists();

// How a column shows its field.
enum class CellKind {
  kPlain,          // the text form of the value
  kDate,           // DateCellText
  kCancelledDate,  // DateCellText, after "悔单时间：" when the order is cancelled
};

struct ListColumn {
  int field;  // 1-based
  CellKind kind = CellKind::kPlain;
};

// What a record must satisfy to be listed.
struct FieldTest {
  enum class Kind {
    kEvery,          // every record, deleted ones included (the whole customer book)
    kEqualsLiteral,  // the field's text equals `text`
    kEqualsBox,      // the field's text equals the current text of the edit box `text`
    kNotEmpty,       // the field's text is not empty
    kInDateRange,    // the field's date-time lies in the fill's date range
  };
  Kind kind = Kind::kEvery;
  int field = 0;
  std::string_view text;  // UTF-8: a status word or an edit box's layout name
};

// A half-open range of date-times [from, to), compared on the linear day line.
struct DateRange {
  double from = 0;
  double to = 0;
  bool Contains(double date_time) const;
};

// The range a start and an end picker give: the start day from 00:00:00 up
// to, not including, 00:00:00 of the day after the end day. So an order made
// at midnight belongs to the new day only.
DateRange DayRange(double start_picker, double end_picker);

// The range of a start and an end date picker of the main window (layout
// names, UTF-8), as DayRange gives it.
DateRange PickerRange(std::string_view start_picker, std::string_view end_picker);

// One row of the table of lists. Names are UTF-8 layout names.
struct RecordList {
  std::string_view list;   // the list view on the main window
  std::string_view alias;  // the data file
  FieldTest condition;
  std::optional<FieldTest> extra;
  std::span<const ListColumn> columns;
  const RowMap* rows = nullptr;                    // none for the fund lists
  std::string_view empty_text;                     // empty: no message when nothing is found
  std::string_view empty_title;                    // empty: the message box's default title
  std::span<const std::string_view> action_units;  // enabled when rows were found
};

// The lists, as FillRecordList knows them.
enum class ListId {
  kArrivalAll,          // 到货超级列表框, search box empty
  kArrivalByNumber,     // 到货超级列表框, by marketplace number
  kPickupAll,           // 提货超级列表框, search box empty
  kPickupByNumber,      // 提货超级列表框, by order number
  kAfterSales,          // 售后超级列表框, by order number
  kCustomerBook,        // 客户超级列表框, the whole book
  kCustomerByName,      // 客户超级列表框, by name
  kCustomerByContact,   // 客户超级列表框, by contact
  kQueryByOrderNumber,  // 查询超级列表框1
  kQueryByCustomer,     // 查询超级列表框1
  kQueryByDate,         // 查询超级列表框1
  kFundDeposits,        // 订金查询超级列表框, orders placed in the range
  kFundPickups,         // 提货余款查询超级列表框, orders picked up in the range
};

const RecordList& RecordListOf(ListId id);

// Called once per listed record, after its row is made (the rows reach the
// list view together after the walk), with the record current (the date query and the fund
// statistics add up their totals here).
using ListedRecord = std::function<void()>;

struct FillExtras {
  DateRange range;         // for conditions on a date range
  ListedRecord on_listed;  // may be empty
  bool show_empty_message = true;
};

// Fills the list `id` from its data file: the list and its row map are
// emptied, then every record that meets the condition (and the extra test)
// gets a row, in record order. Afterwards the list's action units are
// enabled when rows were found; otherwise they are disabled and the empty
// message is shown. Returns the number of rows.
int FillRecordList(ListId id, const FillExtras& extras = {});

// The text a date column shows: the date-time's text form, or "——" for the
// zero date-time, a date never set.
runtime::Text DateCellText(const runtime::Value& date_time);

// The batch pattern of the arrival, pickup and after-sales actions: selects
// the ledger and walks the rows of `list` (UTF-8 layout name) once, in the
// order the person sees them; for each ticked row that shows a record the
// cursor goes to that record (from `rows`) and `action` runs with the row
// index. An action that returns false ends the walk. Returns false when the
// walk was ended that way.
bool ForEachTickedRow(std::string_view list, const RowMap& rows,
                      const std::function<bool(int row)>& action);

// How many rows of `list` are ticked.
int TickedRowCount(std::string_view list);

}  // namespace desk
