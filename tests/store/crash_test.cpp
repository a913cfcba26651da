// A writer killed with SIGKILL at random moments while it appends, rewrites
// long values, deletes and purges: after every kill the files open, pass
// the full check and hold everything the writer had been told was done.
//
// ORDERDESK_KILLS sets the number of kills (the long variant runs 250);
// ORDERDESK_KILLS_TRACE=1 prints each round's record count as it goes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "child_process.h"
#include "store/database_list.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

// What the writer tells before and after each command.
enum Message : std::int32_t { kAppend = 1, kWrite, kDelete, kPurge, kDone, kFailed };

// The value of field `field` (1-4) of record `id` when written with `seed`.
Value ValueFor(int field, std::int32_t id, std::int32_t seed) {
  const auto s = static_cast<std::size_t>(seed);
  switch (field) {
    case 1:
      return Value::OfText(Numbered("n", id));
    case 2:
      return Value::OfBytes(
          std::vector<std::uint8_t>(s * 173 % 1700, static_cast<std::uint8_t>(seed % 251 + 1)));
    case 3:
      return Value::OfText(std::string(s * 91 % 1100, static_cast<char>('a' + seed % 26)));
    default:
      return Value::Double(seed);
  }
}

constexpr std::int32_t kMostRecords = 3000;

// The writer: random commands until it is killed. Arguments: the open
// arguments, the next record's id and the random seed.
CHILD_BODY(Writer) {
  std::int32_t next_id = std::stoi(arguments.at(4));
  const auto seed = static_cast<unsigned>(std::stoul(arguments.at(5)));
  DatabaseList list;
  if (!list.OpenDatabase(OpenArgsOf(arguments))) return 1;
  std::mt19937 random(seed);
  auto tell = [&](Message kind, std::int32_t id, std::int32_t field, std::int32_t value_seed) {
    channel.SendInt(kind);
    channel.SendInt(id);
    channel.SendInt(field);
    channel.SendInt(value_seed);
  };
  auto done = [&](bool ok) { channel.SendInt(ok ? kDone : kFailed); };
  for (;;) {
    const std::int32_t count = list.GetRecordCount();
    const auto value_seed = static_cast<std::int32_t>(random() % 100000);
    const unsigned pick = random() % 20;
    // The writer runs ahead of the parent's reading by as much as the pipe
    // holds, so on a busy machine a round adds hundreds of records; past
    // kMostRecords an append turns into a delete, or each round's checks
    // would grow with the run and a long run never end.
    if ((pick < 8 && count < kMostRecords) || count == 0) {
      const std::int32_t id = next_id++;
      std::vector<Value> values;
      for (int f = 1; f <= 4; ++f) values.push_back(ValueFor(f, id, value_seed));
      tell(kAppend, id, 0, value_seed);
      done(list.AppendRecord(values));
      continue;
    }
    if (pick == 19) {
      tell(kPurge, 0, 0, 0);
      done(list.PurgeDeleted());
      continue;
    }
    list.GoTo(static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(count)));
    const std::string name = list.ReadField(Value::Int(1)).AsText();
    if (name.size() < 2) continue;
    const std::int32_t id = std::atoi(name.c_str() + 1);
    if (pick < 10) {
      tell(kDelete, id, 0, 0);
      done(list.DeleteRecord());
    } else {
      const auto field = static_cast<std::int32_t>(2 + random() % 3);
      tell(kWrite, id, field, value_seed);
      done(list.WriteField(Value::Int(field), ValueFor(field, id, value_seed)));
    }
  }
}

// What the writer was told, record by record.
struct Record {
  bool certain = true;  // false: the append may or may not have happened
  enum State { kLive, kDeleted, kUnknown } state = kLive;
  std::map<int, std::optional<std::int32_t>> seeds;  // nullopt: old or new value
};

class Model {
 public:
  // Takes the writer's messages until its pipe closes.
  void Follow(Channel& channel, ChildProcess& child, int kill_at, int yields) {
    int begun = 0;
    for (;;) {
      std::optional<std::int32_t> kind = channel.ReceiveInt();
      std::optional<std::int32_t> id = channel.ReceiveInt(), field = channel.ReceiveInt(),
                                  seed = channel.ReceiveInt();
      // Killed while it announced a command: the command never began.
      if (!kind || !id || !field || !seed) return;
      if (++begun == kill_at) {
        for (int i = 0; i < yields; ++i) std::this_thread::yield();
        child.Kill();
      }
      std::optional<std::int32_t> result = channel.ReceiveInt();
      Apply(static_cast<Message>(*kind), *id, *field, *seed, result);
      if (!result) return;
    }
  }

  void Apply(Message kind, std::int32_t id, std::int32_t field, std::int32_t seed,
             std::optional<std::int32_t> result) {
    const bool done = result == kDone;
    const bool unknown = !result;  // killed before it answered
    switch (kind) {
      case kAppend: {
        next_id_ = std::max(next_id_, id + 1);
        if (!done && !unknown) return;
        Record& r = records_[id];
        r.certain = done;
        for (int f = 1; f <= 4; ++f) r.seeds[f] = seed;
        break;
      }
      case kWrite:
        if (done)
          records_[id].seeds[field] = seed;
        else if (unknown)
          records_[id].seeds[field] = std::nullopt;
        break;
      case kDelete:
        if (done) records_[id].state = Record::kDeleted;
        if (unknown && records_[id].state == Record::kLive) records_[id].state = Record::kUnknown;
        break;
      case kPurge:
        for (auto it = records_.begin(); it != records_.end();) {
          if (done && it->second.state == Record::kDeleted) {
            it = records_.erase(it);
            continue;
          }
          ++it;
        }
        break;
      default:
        break;
    }
  }

  // The files against what the writer was told.
  void Check(DatabaseList& list, int round) {
    std::map<std::int32_t, std::vector<std::int32_t>> found;  // id -> record numbers
    const std::int32_t count = list.GetRecordCount();
    for (std::int32_t number = 1; number <= count; ++number) {
      list.GoTo(number);
      const std::string name = list.ReadField(Value::Int(1)).AsText();
      // A blank record: a copy that a purge cut short left and the open
      // dropped.
      if (name.size() < 2) continue;
      found[std::atoi(name.c_str() + 1)].push_back(number);
    }
    for (auto it = records_.begin(); it != records_.end();) {
      auto& [id, r] = *it;
      const std::vector<std::int32_t>& numbers = found[id];
      // An append cut short by the kill left nothing; a deleted record may
      // be gone with a purge the kill cut short.
      if (numbers.empty() && (!r.certain || r.state != Record::kLive)) {
        it = records_.erase(it);
        continue;
      }
      // A record is counted only once it is wholly written: an append that
      // got that far is complete.
      r.certain = true;
      ASSERT_EQ(numbers.size(), 1u) << "round " << round << ": record n" << id;
      list.GoTo(numbers[0]);
      std::int32_t serial = 0;
      list.current()->ReadSerial(numbers[0] - 1, serial);
      if (r.state == Record::kLive) {
        EXPECT_GT(serial, 0) << "round " << round << ": n" << id;
      } else if (r.state == Record::kDeleted) {
        EXPECT_LT(serial, 0) << "round " << round << ": n" << id;
      }
      for (const auto& [field, seed] : r.seeds) {
        if (!seed) continue;
        EXPECT_EQ(list.ReadField(Value::Int(field)), ValueFor(field, id, *seed))
            << "round " << round << ": n" << id << " field " << field;
      }
      ++it;
    }
    // Ids the writer never announced are not in the file.
    for (const auto& [id, numbers] : found) {
      if (!numbers.empty()) {
        EXPECT_LT(id, next_id_) << "round " << round;
      }
    }
  }

  std::int32_t next_id() const { return next_id_; }

 private:
  std::map<std::int32_t, Record> records_;
  std::int32_t next_id_ = 1;
};

TEST(KilledWriter, NothingAcknowledgedIsLostWhereverTheKillLands) {
  const char* configured = std::getenv("ORDERDESK_KILLS");
  const int kills = configured != nullptr ? std::max(1, std::atoi(configured)) : 10;
  testing_support::TempDir dir;
  const std::string path = PathIn(dir, "报表库.ldg");
  ASSERT_EQ(CreateDataFile(path,
                           {Field("单号", FieldType::kText, 16), Field("小票", FieldType::kByteSet),
                            Field("说明", FieldType::kLongText), Field("次数", FieldType::kDouble)},
                           kPassword),
            0);
  const OpenArguments args = OpenArgs(path, "", kPassword);
  std::mt19937 random(20261208);
  Model model;
  int survived = 0;
  for (int round = 0; round < kills; ++round) {
    const std::int32_t next_id = model.next_id();
    const unsigned seed = static_cast<unsigned>(random());
    ChildArguments arguments = ChildArgs(args);
    arguments.push_back(std::to_string(next_id));
    arguments.push_back(std::to_string(seed));
    ChildProcess child("Writer", arguments);
    ASSERT_TRUE(child.started());
    model.Follow(child.channel(), child, 1 + static_cast<int>(random() % 40),
                 static_cast<int>(random() % 64));
    ASSERT_EQ(child.Wait(), -1) << "round " << round << ": the writer stopped by itself";

    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(args)) << "round " << round << ": " << LastError();
    VerifyResult verified = VerifyDatabase(*list.current());
    ASSERT_TRUE(verified.problems.empty())
        << "round " << round << ": " << verified.problems.front();
    model.Check(list, round);
    if (HasFatalFailure()) return;
    ++survived;
    if (std::getenv("ORDERDESK_KILLS_TRACE") != nullptr)
      std::fprintf(stderr, "round %d records %d\n", round, list.GetRecordCount());
  }
  std::printf("kills survived: %d\n", survived);
}

}  // namespace
}  // namespace store
