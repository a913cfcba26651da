// Every read, write and flush of a day's work at the desk fails in turn:
// afterwards the files open again, pass the full check, and hold every
// record whose commands reported success, with the values they wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "faulty_file.h"
#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

// What the commands acknowledged about one record.
struct Expected {
  bool appended = false;  // the append reported success
  bool live = true;       // false once a delete reported success
  bool state_known = true;
  std::map<int, Value> fields;  // field number -> value last written with success
};

class Workload {
 public:
  explicit Workload(DatabaseList& list) : list_(list) {}

  // A day at the desk: appends with values and blank appends filled field
  // by field, long notes grown, shrunk and emptied, deletes, a purge, and
  // appends that reuse the freed blocks.
  void Run(const std::string& path) {
    if (!list_.OpenDatabase(OpenArgs(path, "book", kPassword))) return;
    for (int i = 0; i < 4; ++i) AppendWithValues(i, Note(i * 400));
    for (int i = 4; i < 6; ++i) AppendBlankThenFill(i, Note(i * 250));
    Write(1, 3, Value::OfText(Note(1600)));
    Write(3, 3, Value::OfText(Note(100)));
    Write(2, 3, Value::OfText(""));
    Delete(0);
    Delete(4);
    Write(5, 2, Value::Double(55.5));
    Purge();
    AppendWithValues(6, Note(900));
    Write(6, 3, Value::OfText(Note(2000)));
  }

  std::map<std::string, Expected>& expected() { return expected_; }
  bool purged() const { return purged_; }

 private:
  static std::string Id(int i) { return Numbered("A", i); }
  static std::string Note(std::size_t n) {
    std::string note(n, ' ');
    for (std::size_t k = 0; k < n; ++k) note[k] = static_cast<char>('a' + (k * 7 + n) % 26);
    return note;
  }

  void AppendWithValues(int i, const std::string& note) {
    const Value values[] = {Value::OfText(Id(i)), Value::Double(i), Value::OfText(note)};
    Expected& e = expected_[Id(i)];
    if (!list_.AppendRecord(values)) return;
    e.appended = true;
    for (int f = 1; f <= 3; ++f) e.fields[f] = values[f - 1];
  }

  void AppendBlankThenFill(int i, const std::string& note) {
    Expected& e = expected_[Id(i)];
    if (!list_.AppendRecord()) return;
    // Until its number is written the record cannot be told from others.
    if (!list_.WriteField(Value::Int(1), Value::OfText(Id(i)))) return;
    e.appended = true;
    e.fields[1] = Value::OfText(Id(i));
    if (list_.WriteField(Value::Int(2), Value::Double(i))) e.fields[2] = Value::Double(i);
    if (list_.WriteField(Value::Int(3), Value::OfText(note))) e.fields[3] = Value::OfText(note);
  }

  bool Find(int i) {
    const std::string id = Id(i);
    list_.GoFirst();
    return list_.FindRecord(Value::OfCondition(
        [this, id] { return Value::Bool(list_.ReadField(Value::Int(1)).AsText() == id); }));
  }

  void Write(int i, int field, const Value& value) {
    Expected& e = expected_[Id(i)];
    if (!Find(i)) return;
    if (list_.WriteField(Value::Int(field), value))
      e.fields[field] = value;
    else
      e.fields.erase(field);  // old or new: the user was told it failed
  }

  void Delete(int i) {
    Expected& e = expected_[Id(i)];
    if (!Find(i)) return;
    if (list_.DeleteRecord())
      e.live = false;
    else
      e.state_known = false;
  }

  void Purge() { purged_ = list_.PurgeDeleted(); }

  DatabaseList& list_;
  std::map<std::string, Expected> expected_;
  bool purged_ = false;
};

class FaultTest : public ::testing::Test {
 protected:
  // Runs the workload with `faults` on fresh files, then checks them with
  // the ordinary opener. Returns the counts of reads, writes and flushes.
  void SetUp() override {
    ASSERT_EQ(
        CreateDataFile(fresh_path_,
                       {Field("单号", FieldType::kText, 16), Field("金额", FieldType::kDouble),
                        Field("备注", FieldType::kLongText)},
                       kPassword),
        0);
  }

  Faults RunWith(Faults faults, const std::string& label) {
    // Fresh files are copies of one pair made once (removed first: not
    // every system's library replaces a file it copies onto).
    for (const auto& [from, to] : {std::pair{fresh_path_, path_}, {fresh_long_path_, long_path_}}) {
      std::filesystem::remove(FsPath(to));
      std::filesystem::copy_file(FsPath(from), FsPath(to));
    }
    faults.flush_reaches_disk = false;
    auto shared = std::make_shared<Faults>(faults);
    std::map<std::string, Expected> expected;
    bool purged = false;
    {
      DatabaseList list(FaultyOpener(shared, true));
      Workload work(list);
      work.Run(path_);
      expected = work.expected();
      purged = work.purged();
    }
    Check(expected, purged, label);
    return *shared;
  }

  void Check(const std::map<std::string, Expected>& expected, bool purged,
             const std::string& label) {
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_, "book", kPassword)))
        << label << ": reopening gives " << LastError();
    VerifyResult verified = VerifyDatabase(*list.current());
    ASSERT_TRUE(verified.problems.empty()) << label << ": " << verified.problems.front();
    std::multimap<std::string, std::pair<std::int32_t, std::int32_t>> found;  // id -> serial, index
    const std::int32_t count = list.GetRecordCount();
    for (std::int32_t index = 0; index < count; ++index) {
      list.GoTo(index + 1);
      std::int32_t serial = 0;
      list.current()->ReadSerial(index, serial);
      found.emplace(list.ReadField(Value::Int(1)).AsText(), std::make_pair(serial, index));
    }
    for (const auto& [id, e] : expected) {
      if (!e.appended || !e.state_known) continue;
      auto [first, last] = found.equal_range(id);
      const auto copies = std::distance(first, last);
      if (!e.live) {
        if (purged) {
          EXPECT_EQ(copies, 0) << label << ": " << id << " was purged";
        }
        continue;
      }
      ASSERT_EQ(copies, 1) << label << ": " << id;
      EXPECT_GT(first->second.first, 0) << label << ": " << id << " lost its serial";
      list.GoTo(first->second.second + 1);
      for (const auto& [field, value] : e.fields)
        EXPECT_EQ(list.ReadField(Value::Int(field)), value)
            << label << ": " << id << " field " << field;
    }
  }

  testing_support::TempDir dir_;
  std::string path_ = PathIn(dir_, "book.ldg");
  std::string long_path_ = PathIn(dir_, "book.lgt");
  std::string fresh_path_ = PathIn(dir_, "fresh.ldg");
  std::string fresh_long_path_ = PathIn(dir_, "fresh.lgt");
};

TEST_F(FaultTest, EveryFailingReadWriteOrFlushLosesNothingAcknowledged) {
  const Faults counted = RunWith({}, "no fault");
  ASSERT_GT(counted.writes_seen, 20);
  int injected = 0;
  const struct {
    WriteFault fault;
    bool sticky;
    const char* name;
  } write_faults[] = {{WriteFault::kShortWrite, false, "short write"},
                      {WriteFault::kNothing, false, "failed write"},
                      {WriteFault::kDiskFull, true, "full disk"}};
  for (const auto& w : write_faults) {
    for (int n = 1; n <= counted.writes_seen; ++n, ++injected) {
      Faults faults;
      faults.fail_write = n;
      faults.write_fault = w.fault;
      faults.sticky = w.sticky;
      std::string label = w.name;
      label += " at write ";
      label += std::to_string(n);
      RunWith(faults, label);
      if (HasFatalFailure()) return;
    }
  }
  for (ReadFault fault : {ReadFault::kError, ReadFault::kShortRead}) {
    for (int n = 1; n <= counted.reads_seen; ++n, ++injected) {
      Faults faults;
      faults.fail_read = n;
      faults.read_fault = fault;
      RunWith(faults, Numbered(fault == ReadFault::kError ? "failed read " : "short read ", n));
      if (HasFatalFailure()) return;
    }
  }
  for (int n = 1; n <= counted.flushes_seen; ++n, ++injected) {
    Faults faults;
    faults.fail_flush = n;
    RunWith(faults, Numbered("failed flush ", n));
  }
  std::printf("faults injected: %d (over %d writes, %d reads, %d flushes)\n", injected,
              counted.writes_seen, counted.reads_seen, counted.flushes_seen);
}

}  // namespace
}  // namespace store
