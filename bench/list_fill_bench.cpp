// The desk's list fills and queries on protected ledgers of realistic
// orders, done four ways in one run, and the same work in SQLite (one
// table, the same columns, no index, as the record store has none):
//
//   desk      the order desk itself, run headless as the driver runs it:
//             the page's button clicked, its real handler filling the real
//             list view (FillRecordList and everything around it);
//   commands  the fill as the desk's list procedure runs it: GoFirst, then
//             FindRecord, ReadField of each column and Skip per listed row;
//   as current  the same pass with each record current in turn, its text
//             tests made where the field lies and its other fields read
//             with ReadField from memory, as the desk's list fill does it;
//   one pass  the record store's one-pass scan: records read in batches,
//             only the condition's and the columns' fields decoded;
//   SQLite    a SELECT of the same columns with the same filter, every
//             column read as text.
//
// Every way must list the same number of rows; the run stops otherwise.
// Usage: list_fill_bench [sizes...]   (default: 10000 100000)
//        list_fill_bench --generate sizes...   (only makes the files and
//        prints their folders, for bench/whole_process.py)
// The generated files are kept in $TMPDIR/list_fill_bench_files/<size> and
// used again by the next run (LIST_FILL_BENCH_FRESH=1 makes them anew).
// Prints a markdown table; docs/performance.md keeps one.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/desk_session.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/date_time.h"
#include "store/creator.h"
#include "store/database_list.h"
#include "tools/ldgtool/desk_files.h"

namespace {

using runtime::Text;
using runtime::Value;
namespace fs = std::filesystem;

const std::string kPassword = ldgtool::kDeskPassword;
constexpr int kCustomers = 3000;
constexpr int kBookSize = 10000;
constexpr double kFirstDay = 44197;  // 2021-01-01
constexpr int kDays = 5 * 365;

Text Gbk(const char* utf8) { return platform::Utf8ToGbk(utf8); }

// ---- The orders ----

struct Words {
  Text not_arrived = Gbk("没到货"), arrived = Gbk("已到货"), picked_up = Gbk("已提货"),
       after_sales = Gbk("已发售后"), after_sales_waiting = Gbk("售后到货未提"),
       after_sales_done = Gbk("售后提货，提货人是"), cancelled = Gbk("悔单");
};
const Words& W() {
  static const Words words;
  return words;
}

Text CustomerName(int c) { return Gbk("顾客") + std::to_string(c); }
Text OrderNumber(int n) { return "DG" + std::to_string(20210000 + n); }
Text MarketNumber(int n) { return "TB" + std::to_string(3000000000LL + n * 7); }

// Fields 1-22 of order `n`: most orders picked up long ago, the newest ones
// still on their way or waiting; a few in after-sales or cancelled.
std::vector<Value> Order(int n, int total, std::mt19937& rng) {
  const double placed = kFirstDay + (static_cast<double>(n) * kDays) / total +
                        std::uniform_real_distribution<double>(0.3, 0.9)(rng);
  const int customer = std::uniform_int_distribution<int>(1, kCustomers)(rng);
  const double age = static_cast<double>(total - n) / total;  // 0 = newest
  const int roll = std::uniform_int_distribution<int>(0, 99)(rng);
  Text status;
  if (age < 0.02)
    status = roll < 70 ? W().not_arrived : W().arrived;
  else if (roll < 3)
    status = W().cancelled;
  else if (roll < 5)
    status = W().after_sales;
  else if (roll < 6)
    status = W().after_sales_waiting;
  else if (roll < 8)
    status = W().after_sales_done + CustomerName(customer);
  else if (roll < 10 && age < 0.2)
    status = W().arrived;
  else
    status = W().picked_up;
  const bool arrived = status != W().not_arrived;
  const bool picked = arrived && status != W().arrived && status != W().cancelled;
  const bool serviced = status.rfind(Gbk("售后"), 0) == 0 || status == W().after_sales;
  const double price = 20 + (n * 37 % 1500) / 10.0;
  return {Value::OfText(OrderNumber(n)),
          Value::OfText(MarketNumber(n)),
          Value::OfText(Gbk("女式羊毛针织开衫 秋冬款 加厚 ") + std::to_string(n % 211)),
          Value::Double(1 + n % 3),
          Value::Double(price),
          Value::Double(10),
          Value::Double(std::floor(price / 2)),
          Value::OfText(CustomerName(customer)),
          Value::OfText("139" + std::to_string(10000000 + customer * 17)),
          Value::OfText(""),
          Value::DateTime(placed),
          Value::DateTime(arrived ? placed + 4 : 0),
          Value::DateTime(picked ? placed + 6 : 0),
          Value::OfText(picked ? CustomerName(customer) : ""),
          Value::DateTime(serviced ? placed + 9 : 0),
          Value::OfText(serviced ? Gbk("尺码不合适，换大一号") : ""),
          Value::DateTime(status == W().after_sales_waiting ? placed + 15 : 0),
          Value::OfText(status),
          Value::Int(0),
          Value::OfText("https://item.example.com/item.htm?id=" + std::to_string(600000 + n)),
          Value::Double(picked ? price - std::floor(price / 2) : 0),
          Value::Double(0)};
}

std::vector<Value> Customer(int c) {
  return {Value::OfText(CustomerName(c)), Value::OfText("139" + std::to_string(10000000 + c * 17)),
          Value::OfText("4401" + std::to_string(100000000000LL + c)),
          Value::OfText(Gbk("广州市天河区体育西路") + std::to_string(c % 300) + Gbk("号")),
          Value::OfText("")};
}

// ---- SQLite ----

// A number or a date-time as a plain number.
double Number(const Value& value) {
  return value.type() == runtime::type::kDateTime ? value.AsDouble() : value.NumericValue();
}

class Sql {
 public:
  explicit Sql(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) Fail("open");
  }
  ~Sql() { sqlite3_close(db_); }
  Sql(const Sql&) = delete;
  Sql& operator=(const Sql&) = delete;
  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) Fail(sql);
    return statement;
  }
  void Bind(sqlite3_stmt* statement, int i, const Value& value) {
    if (value.IsText())
      sqlite3_bind_text(statement, i, value.AsText().data(),
                        static_cast<int>(value.AsText().size()), SQLITE_TRANSIENT);
    else
      sqlite3_bind_double(statement, i, Number(value));
  }
  // Runs a SELECT, reading every column of every row as text; the rows.
  int SelectRows(const std::string& sql, const std::vector<Value>& arguments,
                 double* total = nullptr, int total_column = -1) {
    sqlite3_stmt* statement = Prepare(sql);
    for (std::size_t i = 0; i < arguments.size(); ++i)
      Bind(statement, static_cast<int>(i + 1), arguments[i]);
    int rows = 0;
    std::vector<std::string> cells;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      cells.clear();
      const int columns = sqlite3_column_count(statement);
      for (int c = 0; c < columns; ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        cells.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
      if (total) *total += sqlite3_column_double(statement, total_column);
      ++rows;
    }
    sqlite3_finalize(statement);
    return rows;
  }
  sqlite3* db() { return db_; }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "sqlite: %s: %s\n", what.c_str(), sqlite3_errmsg(db_));
    std::exit(1);
  }
  sqlite3* db_ = nullptr;
};

void CreateTable(Sql& sql, const std::string& table, const std::vector<store::NewField>& fields) {
  std::string create = "CREATE TABLE " + table + " (";
  for (std::size_t f = 0; f < fields.size(); ++f) {
    create += (f ? ", f" : "f") + std::to_string(f + 1);
    create += fields[f].type == store::FieldType::kText ? " TEXT" : " REAL";
  }
  sql.Exec(create + ")");
}

// Inserts `rows` into `table` inside one transaction.
void Insert(Sql& sql, const std::string& table, const std::vector<std::vector<Value>>& rows) {
  sql.Exec("BEGIN");
  std::string insert = "INSERT INTO " + table + " VALUES (";
  for (std::size_t f = 0; f < rows[0].size(); ++f) insert += f ? ", ?" : "?";
  sqlite3_stmt* statement = sql.Prepare(insert + ")");
  for (const auto& row : rows) {
    for (std::size_t f = 0; f < row.size(); ++f)
      sql.Bind(statement, static_cast<int>(f + 1), row[f]);
    sqlite3_step(statement);
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  sql.Exec("COMMIT");
}

// ---- The lists ----

// What a list lists: a field's text equal to a text, a field's text not
// empty, or a date-time field within [from, to).
struct Test {
  enum Kind { kEquals, kNotEmpty, kInRange } kind = kEquals;
  int field = 0;
  Text text;
  double from = 0, to = 0;
  std::string Sql(std::vector<Value>& arguments) const {
    const std::string f = "f" + std::to_string(field);
    switch (kind) {
      case kEquals:
        arguments.push_back(Value::OfText(text));
        return f + " = ?";
      case kNotEmpty:
        return f + " <> ''";
      case kInRange:
        arguments.push_back(Value::Double(from));
        arguments.push_back(Value::Double(to));
        return f + " >= ? AND " + f + " < ?";
    }
    return {};
  }
};

Test Equals(int field, Text text) {
  Test test;
  test.field = field;
  test.text = std::move(text);
  return test;
}
Test NotEmpty(int field) {
  Test test = Equals(field, "");
  test.kind = Test::kNotEmpty;
  return test;
}
Test InRange(int field, double from, double to) {
  Test test = Equals(field, "");
  test.kind = Test::kInRange;
  test.from = from;
  test.to = to;
  return test;
}

struct ListFill {
  std::string name;
  std::string alias;  // GBK
  Test condition;
  std::optional<Test> extra = std::nullopt;
  std::vector<int> columns = {};
  int total_field = 0;  // added up over the listed rows when not 0
};

const std::vector<int> kSetA = {2, 1, 3, 4, 5, 11, 8, 9, 18};
const std::vector<int> kSetB = {2, 1, 3, 4, 5, 12, 8, 9, 18};
const std::vector<int> kSetC = {2, 1, 3, 4, 5, 12, 8, 9, 18, 15, 16, 17};
const std::vector<int> kSetD = {1, 2, 3, 4, 5};
const std::vector<int> kSetE = {2, 1, 3, 4, 5, 11, 8, 9, 18, 12, 13, 14, 15, 16, 17, 20};
const std::vector<int> kDeposits = {2, 1, 3, 4, 5, 11, 7, 8, 9, 18, 12, 13, 14};
const std::vector<int> kPickups = {2, 1, 3, 4, 5, 7, 21, 11, 8, 9, 18, 12, 13, 14};

bool TextIs(const Value& value, const Text& text) {
  return value.IsText() ? value.AsText() == text : runtime::ToText(value) == text;
}

bool Holds(const Test& test, const Value& value) {
  switch (test.kind) {
    case Test::kEquals:
      return TextIs(value, test.text);
    case Test::kNotEmpty:
      return !TextIs(value, "");
    case Test::kInRange:
      return Number(value) >= test.from && Number(value) < test.to;
  }
  return false;
}

struct Outcome {
  int rows = 0;
  double total = 0;
};

// The fill as the desk's list procedure runs it, command by command.
Outcome FillWithCommands(store::DatabaseList& list, const ListFill& fill) {
  Outcome out;
  list.SelectDatabase(fill.alias);
  list.GoFirst();
  const Value condition = Value::OfCondition([&] {
    return Value::Bool(Holds(fill.condition, list.ReadField(Value::Int(fill.condition.field))));
  });
  std::vector<std::vector<Text>> rows;
  while (!list.IsPastEnd() && list.FindRecord(condition)) {
    if (!fill.extra || Holds(*fill.extra, list.ReadField(Value::Int(fill.extra->field)))) {
      std::vector<Text> cells;
      for (int c : fill.columns) cells.push_back(runtime::ToText(list.ReadField(Value::Int(c))));
      rows.push_back(std::move(cells));
      if (fill.total_field)
        out.total += list.ReadField(Value::Int(fill.total_field)).NumericValue();
    }
    list.Skip(1);
  }
  out.rows = static_cast<int>(rows.size());
  return out;
}

// A test on the current record as the desk's list fill makes it: a text
// field compared where it lies (CurrentTextIs, CurrentText), anything else
// as a value.
bool HoldsOnCurrent(store::DatabaseList& list, const Test& test) {
  if (test.kind == Test::kEquals) {
    if (const std::optional<bool> is = list.CurrentTextIs(test.field, test.text)) return *is;
  } else if (test.kind != Test::kInRange) {
    if (auto text = list.CurrentText(test.field, 1)) return !text->empty();
  }
  return Holds(test, list.ReadField(Value::Int(test.field)));
}

// The fill as the desk runs it in one pass: each record current in turn,
// its fields read from memory, the tests as the desk makes them.
Outcome FillAsCurrent(store::DatabaseList& list, const ListFill& fill) {
  Outcome out;
  list.SelectDatabase(fill.alias);
  std::vector<std::vector<Text>> rows;
  list.ScanAsCurrent([&](std::int32_t) {
    if (!HoldsOnCurrent(list, fill.condition)) return true;
    if (fill.extra && !HoldsOnCurrent(list, *fill.extra)) return true;
    std::vector<Text> cells;
    for (int c : fill.columns) cells.push_back(runtime::ToText(list.ReadField(Value::Int(c))));
    rows.push_back(std::move(cells));
    if (fill.total_field) out.total += list.ReadField(Value::Int(fill.total_field)).NumericValue();
    return true;
  });
  out.rows = static_cast<int>(rows.size());
  return out;
}

// A test on a record's bytes: texts compared where they lie.
bool HoldsOn(store::Database& db, std::span<const std::uint8_t> record, const Test& test) {
  const auto field = static_cast<std::size_t>(test.field - 1);
  if (test.kind != Test::kInRange) {
    if (auto text = db.TextOfRecord(record, field))
      return test.kind == Test::kEquals ? *text == test.text : !text->empty();
  }
  Value value;
  db.FieldOfRecord(record, field, value);
  return Holds(test, value);
}

// The same fill through the one-pass scan.
Outcome FillInOnePass(store::DatabaseList& list, const ListFill& fill) {
  Outcome out;
  list.SelectDatabase(fill.alias);
  store::Database& db = *list.current();
  std::vector<std::vector<Text>> rows;
  std::vector<std::int32_t> numbers;
  Value value;
  list.ScanRecords([&](std::int32_t index, std::span<const std::uint8_t> record) {
    if (!HoldsOn(db, record, fill.condition)) return true;
    if (fill.extra && !HoldsOn(db, record, *fill.extra)) return true;
    numbers.push_back(index + 1);
    std::vector<Text> cells;
    cells.reserve(fill.columns.size());
    for (int c : fill.columns) {
      db.FieldOfRecord(record, static_cast<std::size_t>(c - 1), value);
      cells.push_back(runtime::ToText(value));
    }
    rows.push_back(std::move(cells));
    if (fill.total_field) {
      db.FieldOfRecord(record, static_cast<std::size_t>(fill.total_field - 1), value);
      out.total += value.NumericValue();
    }
    return true;
  });
  out.rows = static_cast<int>(rows.size());
  return out;
}

Outcome FillInSql(Sql& sql, const ListFill& fill) {
  std::vector<Value> arguments;
  std::string where = fill.condition.Sql(arguments);
  if (fill.extra) where += " AND " + fill.extra->Sql(arguments);
  std::string columns;
  for (int c : fill.columns) columns += (columns.empty() ? "f" : ", f") + std::to_string(c);
  if (fill.total_field) columns += ", f" + std::to_string(fill.total_field);
  const std::string table = fill.alias == Gbk("客户库") ? "customers" : "ledger";
  Outcome out;
  out.rows = sql.SelectRows("SELECT " + columns + " FROM " + table + " WHERE " + where, arguments,
                            fill.total_field ? &out.total : nullptr,
                            static_cast<int>(fill.columns.size()));
  return out;
}

// ---- Timing ----

// The fastest of `repeats` runs, in milliseconds: the least disturbed by
// the other work on a shared machine.
double BestMs(int repeats, const std::function<void()>& work) {
  double best = 1e300;
  for (int r = 0; r < repeats; ++r) {
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// One line of the table; a negative time prints as a dash.
struct Times {
  double desk = -1, commands = -1, as_current = -1, one_pass = -1, sql = -1;
};

std::string Cell(double ms) {
  char text[32];
  if (ms < 0)
    std::snprintf(text, sizeof text, "—");
  else
    std::snprintf(text, sizeof text, ms < 10 ? "%.2f" : "%.1f", ms);
  return text;
}

std::string Ratio(double ms, double sql) {
  if (ms < 0 || sql <= 0) return "—";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ms / sql);
  return text;
}

// Two times added up; a dash when either is one.
double Sum(double a, double b) { return a < 0 || b < 0 ? -1 : a + b; }

void Row(int size, const std::string& operation, int rows, const Times& t) {
  std::printf("| %d | %s | %d | %s | %s | %s | %s | %s | %s | %s |\n", size, operation.c_str(),
              rows, Cell(t.desk).c_str(), Cell(t.commands).c_str(), Cell(t.as_current).c_str(),
              Cell(t.one_pass).c_str(), Cell(t.sql).c_str(), Ratio(t.desk, t.sql).c_str(),
              Ratio(t.one_pass, t.sql).c_str());
  std::fflush(stdout);
}

store::OpenArguments Args(const fs::path& file, const char* alias) {
  store::OpenArguments args;
  args.file = platform::Utf8ToGbk(file.string());
  args.alias = Gbk(alias);
  args.password = kPassword;
  return args;
}

const char* const kFileNames[] = {"流水账.ldg", "客户库.ldg", "报表库.ldg", "desk.sqlite"};

// Generates the three desk files and the SQLite file of `size` orders in
// `here`, unless a complete earlier run left them there.
void Generate(int size, const fs::path& here) {
  const fs::path done = here / "complete";
  if (fs::exists(done) && !std::getenv("LIST_FILL_BENCH_FRESH")) return;
  fs::remove_all(here);
  fs::create_directories(here);
  const auto desk = ldgtool::DeskFiles();
  for (std::size_t i = 0; i < 3; ++i)
    store::CreateDataFile(platform::Utf8ToGbk((here / desk[i].file_name).string()), desk[i].fields,
                          kPassword);
  std::mt19937 rng(20261208u + static_cast<unsigned>(size));
  Sql sql((here / "desk.sqlite").string());
  CreateTable(sql, "ledger", desk[0].fields);
  CreateTable(sql, "customers", desk[1].fields);
  store::DatabaseList list;
  list.OpenDatabase(Args(here / kFileNames[0], "流水账"));
  std::vector<std::vector<Value>> chunk;
  for (int n = 1; n <= size; ++n) {
    chunk.push_back(Order(n, size, rng));
    list.AppendRecord(chunk.back());
    if (chunk.size() == 10000 || n == size) {
      Insert(sql, "ledger", chunk);
      chunk.clear();
    }
  }
  list.OpenDatabase(Args(here / kFileNames[1], "客户库"));
  for (int c = 1; c <= kBookSize; ++c) {
    chunk.push_back(Customer(c));
    list.AppendRecord(chunk.back());
  }
  Insert(sql, "customers", chunk);
  std::FILE* marker = std::fopen(done.string().c_str(), "w");
  if (marker) std::fclose(marker);
}

// A date picker's text for the day `days` lies in.
std::string PickerDay(double days) {
  const runtime::CivilTime t = runtime::BreakDown(days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

// What the desk does for one fill: the page, what the user types or picks
// there, the button and the list to count.
struct DeskAction {
  int page;
  std::string setup;  // script lines
  std::string button;
  std::string list;
  int extra_rows = 0;  // rows the page adds after the records (a totals row)
};

// The script that times every desk action `repeats` times.
std::string DeskScript(const std::vector<DeskAction>& actions, int repeats) {
  std::string script;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const DeskAction& a = actions[i];
    if (a.button.empty()) continue;
    script += "page 选择夹1 " + std::to_string(a.page) + "\n";
    for (int r = 0; r < repeats; ++r) {
      script += a.setup;
      script += "bench-start " + std::to_string(i) + "\nclick " + a.button + "\nbench-stop " +
                a.list + "\n";
    }
  }
  return script;
}

void RunSize(int size, const fs::path& files, const fs::path& dir) {
  const fs::path pristine = files / std::to_string(size);
  Generate(size, pristine);
  const fs::path here = dir / std::to_string(size);
  fs::create_directories(here);
  // Every file, the long-value files beside the data files included.
  for (const fs::directory_entry& entry : fs::directory_iterator(pristine))
    fs::copy_file(entry.path(), here / entry.path().filename(),
                  fs::copy_options::overwrite_existing);
  const fs::path ledger = here / kFileNames[0], book = here / kFileNames[1],
                 reports = here / kFileNames[2], sql_path = here / kFileNames[3];
  std::mt19937 rng(20261208u + static_cast<unsigned>(size) * 3);
  Sql sql(sql_path.string());

  std::optional<store::DatabaseList> list(std::in_place);
  auto open_three = [&](store::DatabaseList& into) {
    into.OpenDatabase(Args(ledger, "流水账"));
    into.OpenDatabase(Args(book, "客户库"));
    into.OpenDatabase(Args(reports, "报表库"));
  };
  open_three(*list);

  // Search texts taken from real rows: an order near the end that has not
  // arrived, one picked up, a customer.
  const int recent = size - size / 200;
  const double month_from = kFirstDay + kDays / 2, month_to = month_from + 30;
  const std::vector<ListFill> fills = {
      {"arrival list, all", Gbk("流水账"), Equals(18, W().not_arrived), {}, kSetA},
      {"arrival list, by marketplace number", Gbk("流水账"), Equals(2, MarketNumber(size - 3)),
       Equals(18, W().not_arrived), kSetA},
      {"pickup list, all", Gbk("流水账"), Equals(18, W().arrived), {}, kSetB},
      {"after-sales list, by order number", Gbk("流水账"), Equals(1, OrderNumber(recent / 2)),
       NotEmpty(14), kSetC},
      {"query by order number", Gbk("流水账"), Equals(1, OrderNumber(recent)), {}, kSetE},
      {"query by customer", Gbk("流水账"), Equals(8, CustomerName(1234)), {}, kSetE},
      {"query by date, with totals",
       Gbk("流水账"),
       InRange(11, month_from, month_to),
       {},
       kSetE,
       5},
      {"fund statistics: deposits",
       Gbk("流水账"),
       InRange(11, month_from, month_to),
       {},
       kDeposits,
       7},
      {"fund statistics: pickup balances",
       Gbk("流水账"),
       InRange(13, month_from, month_to),
       {},
       kPickups,
       21},
      {"customer search in a book of 10 000",
       Gbk("客户库"),
       Equals(1, CustomerName(8765)),
       {},
       kSetD},
  };
  const std::string from_day = PickerDay(month_from), to_day = PickerDay(month_to - 1);
  // The same fills through the desk's pages; the fund page fills both of
  // its lists with one click, timed on the deposits row.
  const std::vector<DeskAction> desk_actions = {
      {2, "type 到货淘宝单号\n", "到货查找", "到货超级列表框"},
      {2, "type 到货淘宝单号 " + MarketNumber(size - 3) + "\n", "到货查找", "到货超级列表框"},
      {3, "type 提货订购单号\n", "提货查找", "提货超级列表框"},
      {4, "type 售后购订单号 " + OrderNumber(recent / 2) + "\n", "售后编号查询", "售后超级列表框"},
      {1, "type 查询购订单号 " + OrderNumber(recent) + "\n", "订单编号查询", "查询超级列表框1"},
      {1, "type 查询订购客户姓名 顾客1234\n", "按客户姓名查询", "查询超级列表框1"},
      {1, "date 开始日期框 " + from_day + "\ndate 结束日期框 " + to_day + "\n", "按日期查询",
       "查询超级列表框1", 2},
      {7, "date 资金开始日期框 " + from_day + "\ndate 资金结束日期框 " + to_day + "\n", "资金查询",
       "订金查询超级列表框"},
      {7, "", "", ""},
      {6, "type 查找客户姓名编辑框 顾客8765\n", "查找客户", "客户超级列表框"},
  };
  const int repeats = size <= 100000 ? 5 : 3;
  // The command-by-command fill is slow; once is enough, and it is left
  // out on big ledgers.
  const int command_repeats = size <= 100000 ? 1 : 0;
  // The keystreams of every page, computed once, as after the first fill.
  FillInOnePass(*list, fills[0]);

  std::vector<Times> times(fills.size());
  std::vector<int> sql_rows(fills.size());
  for (std::size_t i = 0; i < fills.size(); ++i) {
    const ListFill& fill = fills[i];
    Outcome commands, as_current, one_pass, in_sql;
    Times& t = times[i];
    if (command_repeats > 0)
      t.commands = BestMs(command_repeats, [&] { commands = FillWithCommands(*list, fill); });
    t.as_current = BestMs(repeats, [&] { as_current = FillAsCurrent(*list, fill); });
    t.one_pass = BestMs(repeats, [&] { one_pass = FillInOnePass(*list, fill); });
    t.sql = BestMs(repeats, [&] { in_sql = FillInSql(sql, fill); });
    if (command_repeats == 0) commands = in_sql;
    if (commands.rows != one_pass.rows || one_pass.rows != in_sql.rows ||
        as_current.rows != in_sql.rows || std::abs(as_current.total - in_sql.total) > 1e-6 ||
        std::abs(one_pass.total - in_sql.total) > 1e-6 ||
        std::abs(commands.total - in_sql.total) > 1e-6) {
      std::fprintf(stderr, "%s: rows %d / %d / %d differ\n", fill.name.c_str(), commands.rows,
                   one_pass.rows, in_sql.rows);
      std::exit(1);
    }
    sql_rows[i] = in_sql.rows;
  }

  // SQLite's own first query after start-up: a connection just opened, its
  // page cache empty, the file in the system's cache as the desk's is.
  double sql_first_ms = 1e300;
  for (int r = 0; r < repeats; ++r) {
    Sql fresh(sql_path.string());
    sql_first_ms = std::min(sql_first_ms, BestMs(1, [&] { FillInSql(fresh, fills[0]); }));
  }

  // The desk, with the bench's own files closed meanwhile. Its first fill
  // comes a moment after its files were opened, while the ledger's thread
  // is still making it ready: the fastest of the repeats is a later one.
  list.reset();
  const auto current_dir = fs::current_path();
  // Then the whole add handler: the order form checked, the item stored,
  // the receipt redrawn.
  std::string script = DeskScript(desk_actions, repeats) + "page 选择夹1 0\n";
  for (int r = 0; r < repeats; ++r)
    script += "type 代购单号_编辑框 BENCH" + std::to_string(r) +
              "\ntype 客户姓名 顾客1\ntype 联系方法 1\ntype 淘宝单号 T" + std::to_string(r) +
              "\ntype 商品单价 1\ntype 商品链接 http://item.example/1\ntype 实收款 1\n"
              "answer yes\nbench-start add\nclick 添加\nbench-stop\n";
  const bench::DeskRun run = bench::RunTimedDesk(here, script);
  fs::current_path(current_dir);
  if (run.status != 0) {
    std::fprintf(stderr, "desk: status %d\n%s", run.status, run.transcript.c_str());
    std::exit(1);
  }
  // The desk's very first fill: its page keystreams come from the cache
  // file (or are computed when there is none).
  const double first_fill_ms = run.timings.empty() ? -1 : run.timings.front().ms;
  double desk_add_ms = -1;
  int adds = 0;
  for (const bench::DeskTiming& timing : run.timings) {
    if (timing.label == "add") {
      desk_add_ms = desk_add_ms < 0 ? timing.ms : std::min(desk_add_ms, timing.ms);
      ++adds;
      continue;
    }
    const auto i = static_cast<std::size_t>(std::stoi(timing.label));
    if (timing.rows != sql_rows[i] + desk_actions[i].extra_rows) {
      std::fprintf(stderr, "desk: %s lists %d rows, SQLite %d\n%s", fills[i].name.c_str(),
                   timing.rows, sql_rows[i], run.transcript.c_str());
      std::exit(1);
    }
    times[i].desk = times[i].desk < 0 ? timing.ms : std::min(times[i].desk, timing.ms);
  }
  if (adds != repeats || run.transcript.find("MSG \"确认添加吗？\"") == std::string::npos) {
    std::fprintf(stderr, "desk: the add handler did not run\n%s", run.transcript.c_str());
    std::exit(1);
  }
  for (std::size_t i = 0; i < fills.size(); ++i) {
    Times t = times[i];
    if (i == 7) {
      // The fund page's one query against both SELECTs.
      const Times& pickups = times[8];
      Row(size, fills[i].name, sql_rows[i], {-1, t.commands, t.as_current, t.one_pass, t.sql});
      Row(size, fills[8].name, sql_rows[8],
          {-1, pickups.commands, pickups.as_current, pickups.one_pass, pickups.sql});
      Row(size, "fund statistics: the page's query (both lists, totals)", sql_rows[i] + sql_rows[8],
          {t.desk, Sum(t.commands, pickups.commands), Sum(t.as_current, pickups.as_current),
           Sum(t.one_pass, pickups.one_pass), Sum(t.sql, pickups.sql)});
      ++i;
      continue;
    }
    Row(size, fills[i].name, sql_rows[i], t);
    if (i == 0)
      Row(size, "arrival list, all: the first fill after start-up", sql_rows[i],
          {first_fill_ms, -1, -1, -1, sql_first_ms});
  }
  list.emplace();
  open_three(*list);

  // Opening the three files.
  const double open_ms = BestMs(repeats, [&] {
    store::DatabaseList fresh;
    open_three(fresh);
  });
  const double sql_open_ms = BestMs(repeats, [&] {
    Sql fresh(sql_path.string());
    fresh.SelectRows("SELECT name FROM sqlite_master", {});
  });
  Row(size, "opening the three files", 0, {-1, -1, -1, open_ms, sql_open_ms});

  // Adding 100 orders as the add button stores one: a blank record filled
  // field by field; in SQLite one INSERT each.
  constexpr int kAdds = 100;
  std::vector<std::vector<Value>> added;
  for (int n = 0; n < kAdds; ++n) added.push_back(Order(size + n, size, rng));
  const double add_ms = BestMs(1, [&] {
    list->SelectDatabase(Gbk("流水账"));
    for (const auto& item : added) {
      list->AppendRecord();
      for (int f : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 18, 20})
        list->WriteField(Value::Int(f), item[static_cast<std::size_t>(f - 1)]);
    }
  });
  const double sql_add_ms = BestMs(1, [&] {
    sqlite3_stmt* statement = sql.Prepare("INSERT INTO ledger VALUES (" + [] {
      std::string marks;
      for (int f = 0; f < 22; ++f) marks += f ? ", ?" : "?";
      return marks;
    }() + ")");
    for (const auto& item : added) {
      for (std::size_t f = 0; f < item.size(); ++f)
        sql.Bind(statement, static_cast<int>(f + 1), item[f]);
      sqlite3_step(statement);
      sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
  });
  Row(size, "adding one order (each of 100)", 1, {-1, -1, -1, add_ms / kAdds, sql_add_ms / kAdds});

  Row(size, "the add handler (one item, form to receipt)", 1,
      {desk_add_ms, -1, -1, -1, sql_add_ms / kAdds});

  // Deleting one customer of the book and purging it.
  const double purge_ms = BestMs(3, [&] {
    list->SelectDatabase(Gbk("客户库"));
    list->GoTo(kBookSize / 2);
    list->DeleteRecord();
    list->PurgeDeleted();
  });
  const double sql_purge_ms = BestMs(3, [&] {
    sql.Exec("DELETE FROM customers WHERE rowid = (SELECT rowid FROM customers LIMIT 1 OFFSET " +
             std::to_string(kBookSize / 2) + ")");
  });
  Row(size, "purging one deleted customer of 10 000", 1, {-1, -1, -1, purge_ms, sql_purge_ms});
  list.reset();
  fs::remove_all(here);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  const bool generate_only = argc > 1 && std::string(argv[1]) == "--generate";
  for (int i = generate_only ? 2 : 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {10000, 100000};
  const fs::path files = fs::temp_directory_path() / "list_fill_bench_files";
  if (generate_only) {
    for (int size : sizes) {
      Generate(size, files / std::to_string(size));
      std::printf("%s\n", (files / std::to_string(size)).string().c_str());
    }
    return 0;
  }
  const fs::path dir =
      fs::temp_directory_path() / ("list_fill_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::printf(
      "| records | operation | rows | desk (ms) | commands (ms) | as current (ms) |"
      " one pass (ms) | SQLite (ms) | desk / SQLite | one pass / SQLite |\n"
      "|---|---|---|---|---|---|---|---|---|---|\n");
  for (int size : sizes) RunSize(size, files, dir);
  fs::remove_all(dir);
  return 0;
}
