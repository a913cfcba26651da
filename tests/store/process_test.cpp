#include <gtest/gtest.h>

#include <set>

#include "child_process.h"
#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

// A clock that only moves when slept on, and a hook run at each sleep.
class FakeWaiting : public platform::Waiting {
 public:
  std::uint32_t TickCount() override { return now_; }
  void Sleep(std::uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    now_ += milliseconds;
    if (on_sleep) on_sleep();
  }
  std::vector<std::uint32_t> sleeps;
  std::function<void()> on_sleep;

 private:
  std::uint32_t now_ = 7;
};

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathIn(dir_, "流水账.ldg");
    ASSERT_EQ(
        CreateDataFile(path_, {Field("name", FieldType::kText, 12), Field("n", FieldType::kInt)},
                       kPassword),
        0);
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(path_, "", kPassword)));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(list.AppendRecord());
  }
  OpenArguments Args() const { return OpenArgs(path_, Gbk("流水账"), kPassword); }

  testing_support::TempDir dir_;
  std::string path_;
};

// The child opens the file, says 'O', waits for 'G', then holds the header
// lock and the lock of record `record` inside a search, saying 'H' and
// waiting for 'R' each time, `rounds` times; 'D' after each, and before
// the next round it waits for 'N'. Arguments: the open arguments, the
// record and the rounds.
CHILD_BODY(HoldWhileSearching) {
  const std::int32_t record = std::stoi(arguments.at(4));
  const int rounds = std::stoi(arguments.at(5));
  DatabaseList list;
  if (!list.OpenDatabase(OpenArgsOf(arguments))) return 1;
  channel.Send('O');
  if (channel.Receive() != 'G') return 2;
  for (int round = 0; round < rounds; ++round) {
    list.GoTo(record);
    bool found = list.FindRecord(Value::OfCondition([&] {
      channel.Send('H');
      return Value::Bool(channel.Receive() == 'R');
    }));
    if (!found) return 3;
    channel.Send('D');
    if (round + 1 < rounds && channel.Receive() != 'N') return 4;
  }
  return 0;
}

ChildArguments HoldWhileSearchingArgs(const OpenArguments& args, std::int32_t record, int rounds) {
  ChildArguments arguments = ChildArgs(args);
  arguments.push_back(std::to_string(record));
  arguments.push_back(std::to_string(rounds));
  return arguments;
}

TEST_F(ProcessTest, TheHeaderLockRefusesAppendsAtOnceAndMakesCountingWait) {
  ChildProcess child("HoldWhileSearching", HoldWhileSearchingArgs(Args(), 1, 2));
  ASSERT_TRUE(child.started());
  Channel& channel = child.channel();
  ASSERT_EQ(channel.Receive(), 'O');
  FakeWaiting waiting;
  DatabaseList list(platform::SystemFileOpener(), &waiting);
  ASSERT_TRUE(list.OpenDatabase(Args()));
  channel.Send('G');

  // Round 1: the append fails without waiting; counting waits, and gets
  // the count once the other process lets go.
  ASSERT_EQ(channel.Receive(), 'H');
  EXPECT_FALSE(list.AppendRecord());
  EXPECT_EQ(LastError(), error::kLockViolation);
  EXPECT_TRUE(waiting.sleeps.empty());
  waiting.on_sleep = [&] {
    if (waiting.sleeps.size() != 1) return;
    channel.Send('R');
    EXPECT_EQ(channel.Receive(), 'D');
  };
  EXPECT_EQ(list.GetRecordCount(), 3);
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(waiting.sleeps.size(), 1u);

  // Round 2: the other process keeps the lock; counting gives up after
  // 2000 ms of sleeps of 20 to 39 ms each.
  waiting.on_sleep = nullptr;
  waiting.sleeps.clear();
  channel.Send('N');
  ASSERT_EQ(channel.Receive(), 'H');
  EXPECT_EQ(list.GetRecordCount(), 0);
  EXPECT_EQ(LastError(), error::kLockViolation);
  std::uint32_t slept = 0;
  for (std::uint32_t ms : waiting.sleeps) {
    EXPECT_GE(ms, 20u);
    EXPECT_LE(ms, 39u);
    slept += ms;
  }
  EXPECT_GE(slept, 2000u);
  EXPECT_LT(slept, 2040u);
  EXPECT_FALSE(list.GoLast());
  EXPECT_TRUE(list.IsPastEnd());  // the count cannot be read
  EXPECT_EQ(LastError(), error::kLockViolation);
  channel.Send('R');
  EXPECT_EQ(channel.Receive(), 'D');
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_TRUE(list.AppendRecord());
  EXPECT_EQ(list.GetRecordCount(), 4);
}

TEST_F(ProcessTest, ARecordLockRefusesReadsAndWritesOfThatRecordOnly) {
  ChildProcess child("HoldWhileSearching", HoldWhileSearchingArgs(Args(), 2, 1));
  Channel& channel = child.channel();
  ASSERT_EQ(channel.Receive(), 'O');
  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(Args()));
  ASSERT_TRUE(list.GoTo(2));
  ASSERT_TRUE(list.WriteField(Value::Int(1), Value::OfText("before")));
  channel.Send('G');
  ASSERT_EQ(channel.Receive(), 'H');

  EXPECT_EQ(list.ReadField(Value::Int(1)), Value::OfText(""));
  EXPECT_EQ(LastError(), error::kLockViolation);
  EXPECT_FALSE(list.WriteField(Value::Int(1), Value::OfText("x")));
  EXPECT_EQ(LastError(), error::kLockViolation);
  EXPECT_FALSE(list.DeleteRecord());
  EXPECT_EQ(LastError(), error::kLockViolation);
  EXPECT_FALSE(list.PurgeDeleted());  // the whole file cannot be locked
  EXPECT_EQ(LastError(), error::kLockViolation);
  list.current()->set_cursor(2);  // record 3 is free
  EXPECT_TRUE(list.WriteField(Value::Int(2), Value::Int(33)));
  EXPECT_EQ(list.ReadField(Value::Int(2)), Value::Int(33));

  channel.Send('R');
  EXPECT_EQ(channel.Receive(), 'D');
  EXPECT_EQ(child.Wait(), 0);
  list.current()->set_cursor(1);
  EXPECT_EQ(list.ReadField(Value::Int(1)), Value::OfText("before"));
  EXPECT_TRUE(list.WriteField(Value::Int(1), Value::OfText("after")));
}

// Opens the file for itself alone, appends, says 'O' and waits for 'R'.
CHILD_BODY(OpenAlone) {
  OpenArguments args = OpenArgsOf(arguments);
  args.sharing = 0;  // nobody else
  DatabaseList list;
  if (!list.OpenDatabase(args)) return 1;
  if (!list.AppendRecord()) return 2;
  channel.Send('O');
  return channel.Receive() == 'R' ? 0 : 3;
}

TEST_F(ProcessTest, SharingModesHoldBetweenProcesses) {
  ChildProcess child("OpenAlone", ChildArgs(Args()));
  ASSERT_EQ(child.channel().Receive(), 'O');
  DatabaseList list;
  EXPECT_FALSE(list.OpenDatabase(Args()));
  EXPECT_EQ(LastError(), error::kSharingViolation);
  OpenArguments read_only = Args();
  read_only.read_only = true;
  EXPECT_FALSE(list.OpenDatabase(read_only));
  EXPECT_EQ(LastError(), error::kSharingViolation);
  child.channel().Send('R');
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_TRUE(list.OpenDatabase(Args()));
  EXPECT_EQ(list.GetRecordCount(), 4);
}

constexpr int kEach = 500;

// Arguments: the open arguments and a tag; appends kEach records once 'G'
// arrives.
CHILD_BODY(Appender) {
  const OpenArguments args = OpenArgsOf(arguments);
  const std::int32_t tag = std::stoi(arguments.at(4));
  DatabaseList list;
  if (!list.OpenDatabase(args)) return 1;
  channel.Send('O');
  if (channel.Receive() != 'G') return 2;
  for (std::int32_t i = 0; i < kEach; ++i) {
    std::vector<Value> values = {Value::OfText(Numbered("p", tag)), Value::Int(i)};
    // Refused while the other holds the header lock: try again.
    while (!list.AppendRecord(values))
      if (LastError() != error::kLockViolation) return 3;
  }
  return 0;
}

TEST_F(ProcessTest, TwoProcessesAppendingFiveHundredEachEndWithAThousandDistinctSerials) {
  auto appender = [this](std::int32_t tag) {
    ChildArguments arguments = ChildArgs(Args());
    arguments.push_back(std::to_string(tag));
    return arguments;
  };
  // One after the other: an open fails while another process checks the file.
  ChildProcess first("Appender", appender(1));
  ASSERT_EQ(first.channel().Receive(), 'O');
  ChildProcess second("Appender", appender(2));
  ASSERT_EQ(second.channel().Receive(), 'O');
  first.channel().Send('G');
  second.channel().Send('G');
  EXPECT_EQ(first.Wait(), 0);
  EXPECT_EQ(second.Wait(), 0);

  DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(Args()));
  ASSERT_EQ(list.GetRecordCount(), 3 + 2 * kEach);
  auto bytes = Deciphered(FileBytes(path_), kPassword);
  Database* db = list.current();
  std::set<std::int32_t> serials;
  std::map<std::string, std::vector<std::int32_t>> sequence;
  for (std::int32_t r = 0; r < 3 + 2 * kEach; ++r) {
    serials.insert(
        Int32At(bytes, db->data_start() + static_cast<std::size_t>(r * db->record_size())));
    list.GoTo(r + 1);
    if (r >= 3)
      sequence[list.ReadField(Value::Int(1)).AsText()].push_back(
          static_cast<std::int32_t>(list.ReadField(Value::Int(2)).AsInt64()));
  }
  EXPECT_EQ(serials.size(), 3u + 2 * kEach);
  EXPECT_EQ(*serials.begin(), 1);
  EXPECT_EQ(*serials.rbegin(), 3 + 2 * kEach);
  std::vector<std::int32_t> in_order(kEach);
  for (int i = 0; i < kEach; ++i) in_order[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(sequence["p1"], in_order);
  EXPECT_EQ(sequence["p2"], in_order);
}

std::vector<std::uint8_t> BytesOf(std::int32_t n, std::size_t size) {
  return std::vector<std::uint8_t>(size, static_cast<std::uint8_t>(n % 251 + 1));
}

// Appends numbered records and rewrites earlier ones' long values, telling
// each append that returned, until it is killed.
CHILD_BODY(AppendUntilKilled) {
  DatabaseList list;
  if (!list.OpenDatabase(OpenArgsOf(arguments))) return 1;
  for (std::int32_t n = list.GetRecordCount() + 1;; ++n) {
    std::vector<Value> values = {
        Value::OfText(Numbered("n", n)),
        Value::OfBytes(BytesOf(n, static_cast<std::size_t>(n * 173 % 1700))),
        Value::OfText(std::string(static_cast<std::size_t>(n * 91 % 1100), 'x')), Value::Double(n)};
    if (!list.AppendRecord(values)) return 2;
    channel.SendInt(n);
    // Rewrite an earlier record's long values, growing and shrinking them.
    list.GoTo(n / 2 + 1);
    list.WriteField(Value::Int(2),
                    Value::OfBytes(BytesOf(n, static_cast<std::size_t>(n * 311 % 2100))));
    list.WriteField(Value::Int(3),
                    Value::OfText(std::string(static_cast<std::size_t>(n * 53 % 900), 'y')));
  }
}

// A process killed in the middle of appends and long-value writes.
TEST(KilledProcess, LeavesFilesThatOpenVerifyAndHoldEveryAppendThatReturned) {
  testing_support::TempDir dir;
  const std::string path = PathIn(dir, "报表库.ldg");
  ASSERT_EQ(CreateDataFile(path,
                           {Field("单号", FieldType::kText, 40), Field("小票", FieldType::kByteSet),
                            Field("说明", FieldType::kLongText), Field("次数", FieldType::kDouble)},
                           kPassword),
            0);
  const OpenArguments args = OpenArgs(path, "", kPassword);
  std::int32_t confirmed = 0;
  for (int round = 0; round < 4; ++round) {
    const std::int32_t kill_after = confirmed + 40 + 37 * round;
    ChildProcess child("AppendUntilKilled", ChildArgs(args));
    ASSERT_TRUE(child.started());
    std::optional<std::int32_t> reported;
    while ((reported = child.channel().ReceiveInt()) && *reported < kill_after)
      confirmed = *reported;
    child.Kill();
    while ((reported = child.channel().ReceiveInt())) confirmed = *reported;
    EXPECT_EQ(child.Wait(), -1);

    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(args)) << LastError();
    ASSERT_GE(list.GetRecordCount(), confirmed);
    for (std::int32_t n = 1; n <= confirmed; ++n) {
      ASSERT_TRUE(list.GoTo(n));
      EXPECT_EQ(list.ReadField(Value::Int(1)), Value::OfText(Numbered("n", n)));
      EXPECT_EQ(list.ReadField(Value::Int(4)), Value::Double(n));
    }
    VerifyResult verified = VerifyDatabase(*list.current());
    EXPECT_TRUE(verified.problems.empty()) << round << ": " << verified.problems.front();
  }
}

}  // namespace
}  // namespace store
