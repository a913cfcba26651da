// How fast the record store is on a protected ledger of 100 000 records
// laid out as the desk's: opening it, a full search for a status word that
// no record has, reading fields 1-22 of every record, and appending 10 000
// records the way the desk stores an order. The cipher alone is measured
// too, with its page keystreams cached and computed afresh, and an order
// stored as the add handler stores it, with and without its closing sync.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/gbk.h"
#include "store/creator.h"
#include "store/database_list.h"
#include "store/page_cipher.h"
#include "tools/ldgtool/desk_files.h"

namespace {

using runtime::Value;
namespace fs = std::filesystem;

constexpr std::int32_t kLedgerRecords = 100000;
constexpr std::int32_t kAppended = 10000;
const std::string kPassword = ldgtool::kDeskPassword;

std::string Gbk(const std::string& utf8) { return platform::Utf8ToGbk(utf8); }

// A typical order item: fields 1-22 of the ledger.
std::vector<Value> OrderItem(std::int32_t n) {
  const std::string number = "DG" + std::to_string(100000 + n);
  return {Value::OfText(number),
          Value::OfText("TB" + std::to_string(3000000000LL + n)),
          Value::OfText(Gbk("羊毛针织开衫 秋冬款 加厚 ") + std::to_string(n % 97)),
          Value::Double(1 + n % 3),
          Value::Double(128.5 + n % 50),
          Value::Double(10),
          Value::Double(100),
          Value::OfText(Gbk("张三") + std::to_string(n % 500)),
          Value::OfText("1390000" + std::to_string(1000 + n % 9000)),
          Value::OfText(""),
          Value::DateTime(39569.5 + n / 100.0),
          Value::DateTime(0),
          Value::DateTime(0),
          Value::OfText(""),
          Value::DateTime(0),
          Value::OfText(""),
          Value::DateTime(0),
          Value::OfText(Gbk(n % 3 == 0 ? "已提货" : "没到货")),
          Value::Int(0),
          Value::OfText("http://item.example.com/item.htm?id=" + std::to_string(n)),
          Value::Double(0),
          Value::Double(0)};
}

// The 100 000-record ledger, made once for the whole run.
class Ledger {
 public:
  static Ledger& Get() {
    static Ledger ledger;
    return ledger;
  }
  ~Ledger() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  const std::string& path() const { return path_; }
  const fs::path& dir() const { return dir_; }

 private:
  Ledger() {
    dir_ = fs::temp_directory_path() / ("store_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    path_ = Gbk((dir_ / "流水账.ldg").string());
    store::CreateDataFile(path_, ldgtool::DeskFiles()[0].fields, kPassword);
    store::DatabaseList list;
    store::OpenArguments args;
    args.file = path_;
    args.password = kPassword;
    list.OpenDatabase(args);
    for (std::int32_t n = 1; n <= kLedgerRecords; ++n) list.AppendRecord(OrderItem(n));
  }
  fs::path dir_;
  std::string path_;
};

store::OpenArguments LedgerArgs(const std::string& path) {
  store::OpenArguments args;
  args.file = path;
  args.alias = Gbk("流水账");
  args.password = kPassword;
  return args;
}

void BM_OpenLedger(benchmark::State& state) {
  const std::string& path = Ledger::Get().path();
  for (auto _ : state) {
    store::DatabaseList list;
    if (!list.OpenDatabase(LedgerArgs(path))) state.SkipWithError("open failed");
  }
}
BENCHMARK(BM_OpenLedger)->Unit(benchmark::kMicrosecond);

Value StatusIs(store::DatabaseList& list, const Value& wanted) {
  return Value::OfCondition(
      [&list, wanted] { return Value::Bool(list.ReadField(Value::Int(18)) == wanted); });
}

// The first search after opening computes every page's keystream.
void BM_FindStatusThatNoRecordHasFirstScan(benchmark::State& state) {
  const Value wanted = Value::OfText(Gbk("售后到货未提"));
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<store::DatabaseList>();
    list->OpenDatabase(LedgerArgs(Ledger::Get().path()));
    state.ResumeTiming();
    list->GoFirst();
    if (list->FindRecord(StatusIs(*list, wanted)) || store::LastError() != 0)
      state.SkipWithError("found");
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kLedgerRecords);
}
BENCHMARK(BM_FindStatusThatNoRecordHasFirstScan)->Unit(benchmark::kMillisecond)->Iterations(2);

// Later searches find the keystreams cached.
void BM_FindStatusThatNoRecordHas(benchmark::State& state) {
  store::DatabaseList list;
  list.OpenDatabase(LedgerArgs(Ledger::Get().path()));
  const Value condition = StatusIs(list, Value::OfText(Gbk("售后到货未提")));
  list.FindRecord(condition);
  for (auto _ : state) {
    list.GoFirst();
    if (list.FindRecord(condition) || store::LastError() != 0) state.SkipWithError("found");
  }
  state.SetItemsProcessed(state.iterations() * kLedgerRecords);
}
BENCHMARK(BM_FindStatusThatNoRecordHas)->Unit(benchmark::kMillisecond)->Iterations(3);

// The way a list page is filled: every field of every record, moving on
// with Skip.
void BM_ReadFields1To22OfEveryRecord(benchmark::State& state) {
  store::DatabaseList list;
  list.OpenDatabase(LedgerArgs(Ledger::Get().path()));
  std::vector<Value> fields;
  for (std::int32_t f = 1; f <= 22; ++f) fields.push_back(Value::Int(f));
  for (auto _ : state) {
    list.GoFirst();
    for (std::int32_t n = 0; n < kLedgerRecords; ++n) {
      for (const Value& field : fields) benchmark::DoNotOptimize(list.ReadField(field));
      list.Skip(1);
    }
  }
  state.SetItemsProcessed(state.iterations() * kLedgerRecords * 22);
}
BENCHMARK(BM_ReadFields1To22OfEveryRecord)->Unit(benchmark::kMillisecond)->Iterations(2);

// Appending onto a fresh copy of the ledger each time. `desk_style`: a
// blank record filled with thirteen WriteField calls, as an order is
// stored; otherwise one AppendRecord with all 22 values.
void AppendTenThousand(benchmark::State& state, bool desk_style) {
  const fs::path copy = Ledger::Get().dir() / "copy.ldg";
  const std::string copy_gbk = Gbk(copy.string());
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(fs::path(platform::GbkToUtf8(Ledger::Get().path())), copy,
                  fs::copy_options::overwrite_existing);
    store::DatabaseList list;
    list.OpenDatabase(LedgerArgs(copy_gbk));
    state.ResumeTiming();
    for (std::int32_t n = 1; n <= kAppended; ++n) {
      std::vector<Value> item = OrderItem(kLedgerRecords + n);
      if (!desk_style) {
        list.AppendRecord(item);
        continue;
      }
      list.AppendRecord();
      for (std::int32_t f : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 18, 20})
        list.WriteField(Value::Int(f), item[static_cast<std::size_t>(f - 1)]);
    }
    if (list.GetRecordCount() != kLedgerRecords + kAppended) state.SkipWithError("count");
  }
  state.SetItemsProcessed(state.iterations() * kAppended);
}
void BM_Append10000WithValues(benchmark::State& state) { AppendTenThousand(state, false); }
void BM_Append10000AsTheDeskStoresOrders(benchmark::State& state) {
  AppendTenThousand(state, true);
}
BENCHMARK(BM_Append10000WithValues)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Append10000AsTheDeskStoresOrders)->Unit(benchmark::kMillisecond)->Iterations(3);

// One order as the add handler stores it: an item appended to the ledger
// field by field and its receipt (3 KB) written to the report book, then,
// with `sync`, what the handler wrote made durable (one sync per file
// written: the ledger, the report book and its long-value file). The files
// lie beside the program (ORDERDESK_BENCH_DIR elsewhere), on a disk rather
// than in a memory file system where a sync costs nothing.
void StoreOrders(benchmark::State& state, bool sync) {
  const char* configured = std::getenv("ORDERDESK_BENCH_DIR");
  const fs::path dir = fs::path(configured != nullptr ? configured : ".") /
                       ("store_bench_sync_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string ledger = Gbk((dir / "流水账.ldg").string());
  const std::string book = Gbk((dir / "报表库.ldg").string());
  store::CreateDataFile(ledger, ldgtool::DeskFiles()[0].fields, kPassword);
  store::CreateDataFile(book, ldgtool::DeskFiles()[2].fields, kPassword);
  store::DatabaseList list;
  list.OpenDatabase(LedgerArgs(ledger));
  store::OpenArguments book_args = LedgerArgs(book);
  book_args.alias = Gbk("报表库");
  list.OpenDatabase(book_args);
  const Value receipt = Value::OfBytes(std::vector<std::uint8_t>(3000, 0x5a));
  std::int32_t n = 0;
  for (auto _ : state) {
    std::vector<Value> item = OrderItem(++n);
    list.SelectDatabase(Gbk("流水账"));
    list.AppendRecord();
    for (std::int32_t f : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 18, 20})
      list.WriteField(Value::Int(f), item[static_cast<std::size_t>(f - 1)]);
    list.SelectDatabase(Gbk("报表库"));
    list.AppendRecord(std::vector<Value>{item[0], receipt, Value::Double(0)});
    if (sync && !list.MakeDurable()) state.SkipWithError("sync");
  }
  state.SetItemsProcessed(state.iterations());
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}
void BM_OrderWithoutSync(benchmark::State& state) { StoreOrders(state, false); }
void BM_OrderWithTheHandlersSync(benchmark::State& state) { StoreOrders(state, true); }
BENCHMARK(BM_OrderWithoutSync)->Unit(benchmark::kMicrosecond)->Iterations(500);
BENCHMARK(BM_OrderWithTheHandlersSync)->Unit(benchmark::kMicrosecond)->Iterations(500);

// The cipher over 1 MB: with every page keystream cached, and with each
// page's key schedule run afresh (a new cipher each time).
void BM_CipherCached(benchmark::State& state) {
  store::PageCipher cipher(kPassword);
  std::vector<std::uint8_t> data(1 << 20, 0x5a);
  cipher.Apply(4096, data);
  for (auto _ : state) cipher.Apply(4096, data);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_CipherCached);

void BM_CipherUncached(benchmark::State& state) {
  std::vector<std::uint8_t> data(1 << 20, 0x5a);
  for (auto _ : state) {
    store::PageCipher cipher(kPassword);
    cipher.Apply(4096, data);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_CipherUncached);

}  // namespace

BENCHMARK_MAIN();
