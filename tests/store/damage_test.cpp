// Damaged files: what an open refuses, what it must never write, what no
// command may leave behind, and what a repair brings back.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <fstream>
#include <random>

#include "store/database_list.h"
#include "store/repairer.h"
#include "store/verifier.h"
#include "store_test_util.h"

namespace store {
namespace {

using namespace store_test;
using runtime::Value;

const std::string kPassword = "qkd3094716";

// A book of orders with a long note each.
class DamageTest : public ::testing::Test {
 protected:
  void Make(const std::string& password, int records) {
    password_ = password;
    ASSERT_EQ(CreateDataFile(
                  path_, {Field("单号", FieldType::kText, 12), Field("备注", FieldType::kLongText)},
                  password),
              0);
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(Args()));
    for (int i = 0; i < records; ++i) {
      ASSERT_TRUE(list.AppendRecord());
      ASSERT_TRUE(list.WriteField(Value::Int(1), Value::OfText(Number(i))));
      ASSERT_TRUE(list.WriteField(Value::Int(2), Value::OfText(Note(i))));
    }
  }
  OpenArguments Args(bool read_only = false) const {
    OpenArguments args =
        OpenArgs(path_, {}, password_.empty() ? std::nullopt : std::optional(password_));
    args.read_only = read_only;
    return args;
  }
  static std::string Number(int i) { return Numbered("N", i); }
  // Notes of 0 to 1400 bytes: none, one, two and three blocks.
  static std::string Note(int i) {
    return std::string(static_cast<std::size_t>(i * 350 % 1401), static_cast<char>('a' + i % 26));
  }

  ErrorNumber OpenError(bool read_only = false) {
    DatabaseList list;
    list.OpenDatabase(Args(read_only));
    return LastError();
  }
  // Every record's number and note, in file order.
  std::vector<std::pair<std::string, std::string>> Contents() {
    DatabaseList list;
    EXPECT_TRUE(list.OpenDatabase(Args(true))) << LastError();
    std::vector<std::pair<std::string, std::string>> out;
    for (list.GoFirst(); !list.IsPastEnd(); list.Skip(1))
      out.emplace_back(list.ReadField(Value::Int(1)).AsText(),
                       list.ReadField(Value::Int(2)).AsText());
    return out;
  }
  VerifyResult Verified() {
    DatabaseList list;
    if (!list.OpenDatabase(Args(true))) return {{Numbered("open: ", LastError())}, {}, 0, 0};
    return VerifyDatabase(*list.current());
  }
  RepairResult Repair() {
    return RepairDatabase(path_, password_.empty() ? std::nullopt : std::optional(password_),
                          [](const std::string&, const std::string&) { return true; });
  }

  testing_support::TempDir dir_;
  std::string path_ = PathIn(dir_, "book.ldg");
  std::string long_path_ = PathIn(dir_, "book.lgt");
  std::string password_;
};

TEST_F(DamageTest, ARefusalOverTheLongValueFileComesBeforeAnyWrite) {
  Make(kPassword, 4);
  // The data file lost half its last record; the long-value header says
  // there are as many free blocks as blocks.
  auto data = FileBytes(path_);
  data.resize(data.size() - 10);
  WriteFileBytes(path_, data);
  PatchFile(long_path_, kPassword,
            [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 20, Int32At(bytes, 16)); });
  const auto long_before = FileBytes(long_path_);
  EXPECT_EQ(OpenError(), error::kLongValueFileUnreadable);
  EXPECT_EQ(FileBytes(path_), data);
  EXPECT_EQ(FileBytes(long_path_), long_before);
}

TEST_F(DamageTest, OneTrailingRecordIsCutButMoreIsADamagedCount) {
  Make("", 3);
  DatabaseList probe;
  ASSERT_TRUE(probe.OpenDatabase(Args(true)));
  const std::uint64_t record = static_cast<std::uint64_t>(probe.current()->record_size());
  const std::uint64_t full = FileSize(path_);
  const struct {
    std::int32_t count;
    ErrorNumber expected;
    std::uint64_t size_after;
  } cases[] = {
      {2, 0, full - record},               // an append killed before its count
      {1, error::kNotDatabaseFile, full},  // two records beyond the count
      {0, error::kNotDatabaseFile, full},
  };
  for (const auto& c : cases) {
    auto original = FileBytes(path_);
    PatchFile(path_, "", [&](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 16, c.count); });
    EXPECT_EQ(OpenError(true), 0) << c.count;  // reading alone is harmless
    EXPECT_EQ(OpenError(), c.expected) << c.count;
    EXPECT_EQ(FileSize(path_), c.size_after) << c.count;
    WriteFileBytes(path_, original);
  }
}

// Raw damage to one 32-bit word of the long-value file.
void DamageWord(const std::string& path, std::uint64_t offset, std::int32_t value) {
  std::fstream f(FsPath(path), std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(offset));
  char bytes[4];
  for (int k = 0; k < 4; ++k)
    bytes[k] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * k));
  f.write(bytes, 4);
}

// Whatever a damaged long-value file holds and whatever is done with it
// while it is open, the files open again afterwards, and a repair makes
// them verify.
TEST_F(DamageTest, NoCommandsOnADamagedLongValueFileLeaveItUnopenable) {
  const char* configured = std::getenv("ORDERDESK_DAMAGE_ROUNDS");
  const int rounds = configured != nullptr ? std::max(1, std::atoi(configured)) : 400;
  std::mt19937 random(20261208);
  for (int round = 0; round < rounds; ++round) {
    std::filesystem::remove(FsPath(path_));
    std::filesystem::remove(FsPath(long_path_));
    Make("", 6);
    {
      DatabaseList list;
      ASSERT_TRUE(list.OpenDatabase(Args()));
      list.GoTo(2);
      list.WriteField(Value::Int(2), Value::OfText(""));  // some free blocks
      const std::int32_t blocks = static_cast<std::int32_t>(FileSize(long_path_) / 512);
      for (int hits = 0; hits < 1 + round % 3; ++hits) {
        const std::int32_t block =
            static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(blocks));
        const std::uint64_t word =
            block == 0 ? 16 + 4 * (random() % 3) : 512u * block + 4 * (random() % 3);
        const std::int32_t values[] = {0, 1, 2, block, blocks - 1, blocks, -1, 500, 0x7FFFFFFF};
        const auto before = FileBytes(long_path_);
        DamageWord(long_path_, word, values[random() % std::size(values)]);
        // Damage that the open itself refuses is not what this is about:
        // the header stays one that an open accepts.
        const auto after = FileBytes(long_path_);
        const std::int32_t count = Int32At(after, 16), free = Int32At(after, 20),
                           head = Int32At(after, 24);
        if (count <= 0 || free < 0 || free >= count || head < 0 || head >= count)
          WriteFileBytes(long_path_, before);
      }
      for (int step = 0; step < 8; ++step) {
        list.GoTo(static_cast<std::int32_t>(1 + random() % 7));
        switch (random() % 5) {
          case 0: {
            const Value values[] = {Value::OfText("new"),
                                    Value::OfText(std::string(random() % 1200, 'x'))};
            list.AppendRecord(values);
            break;
          }
          case 1:
            list.DeleteRecord();
            break;
          case 2:
            list.PurgeDeleted();
            break;
          default:
            list.WriteField(Value::Int(2), Value::OfText(std::string(random() % 1600, 'y')));
        }
      }
    }
    const auto lgt = FileBytes(long_path_);
    ASSERT_EQ(OpenError(), 0) << "round " << round << ": long-value header " << Int32At(lgt, 16)
                              << " " << Int32At(lgt, 20) << " " << Int32At(lgt, 24) << ", size "
                              << lgt.size();
    RepairResult repaired = Repair();
    ASSERT_EQ(repaired.error, 0) << "round " << round;
    VerifyResult verified = Verified();
    if (repaired.unmended.empty()) {
      EXPECT_TRUE(verified.problems.empty())
          << "round " << round << ": " << verified.problems.front();
    }
  }
}

TEST_F(DamageTest, RepairRebuildsWhatTheHeadersLost) {
  const struct {
    const char* why;
    bool long_value_file;
    std::size_t offset;
    std::int32_t value;
  } cases[] = {
      {"record size", false, 24, 0x7FFFFFFF},
      {"record size low byte", false, 24, 0x21},
      {"record count too low", false, 16, 1},
      {"record count too high", false, 16, 0x7F000005},
      {"next serial", false, 20, 0},
      {"free count as large as the block count", true, 20, 11},
      {"free head beyond the end", true, 24, 77},
      {"block count zero", true, 16, 0},
  };
  for (const auto& c : cases) {
    for (const std::string& password : {std::string(), kPassword}) {
      std::filesystem::remove(FsPath(path_));
      std::filesystem::remove(FsPath(long_path_));
      Make(password, 6);
      const auto before = Contents();
      PatchFile(c.long_value_file ? long_path_ : path_, password,
                [&](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, c.offset, c.value); });
      RepairResult repaired = Repair();
      EXPECT_EQ(repaired.error, 0) << c.why;
      EXPECT_FALSE(repaired.changes.empty()) << c.why;
      EXPECT_TRUE(repaired.unmended.empty()) << c.why;
      EXPECT_EQ(OpenError(), 0) << c.why;
      EXPECT_TRUE(Verified().problems.empty()) << c.why;
      EXPECT_EQ(Contents(), before) << c.why;
      // A second repair finds nothing left to do.
      EXPECT_TRUE(Repair().changes.empty()) << c.why;
    }
  }
}

// A power cut after the file's size grew leaves zeros after the last
// record: repair takes in no order from them (deciphered, they look like
// records), cuts them, and the next serial stays where it was.
TEST_F(DamageTest, RepairTakesInNoRecordFromBytesTheFileNeverWrote) {
  for (const std::string& password : {std::string(), kPassword}) {
    std::filesystem::remove(FsPath(path_));
    std::filesystem::remove(FsPath(long_path_));
    Make(password, 2);
    const auto before = Contents();
    const auto header = FileBytes(path_);
    auto grown = header;
    grown.resize(grown.size() + 14000, 0);
    WriteFileBytes(path_, grown);
    RepairResult repaired = Repair();
    EXPECT_EQ(repaired.error, 0);
    EXPECT_NE(std::find_if(repaired.changes.begin(), repaired.changes.end(),
                           [](const std::string& change) {
                             return change.find("that this file never wrote") != std::string::npos;
                           }),
              repaired.changes.end());
    EXPECT_EQ(OpenError(), 0);
    EXPECT_TRUE(Verified().problems.empty());
    EXPECT_EQ(Contents(), before);
    // The header (count and next serial) is as the two appends left it.
    EXPECT_EQ(FileBytes(path_), header);
  }
}

TEST_F(DamageTest, RepairCutsADamagedChainAndRefusesWhatItCannotKnow) {
  Make("", 4);
  // Record 4's note (1050 bytes, three blocks): its second block's next
  // leads out of the file.
  std::int32_t first = 0;
  {
    DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(Args()));
    auto bytes = FileBytes(path_);
    const std::uint64_t at = list.current()->data_start() + 3u * list.current()->record_size() +
                             static_cast<std::uint64_t>(list.current()->fields()[1].offset);
    first = Int32At(bytes, at);
  }
  auto lgt = FileBytes(long_path_);
  const std::int32_t second = Int32At(lgt, 512u * first + 4);
  DamageWord(long_path_, 512u * second + 4, 999);
  RepairResult repaired = Repair();
  ASSERT_EQ(repaired.error, 0);
  EXPECT_TRUE(Verified().problems.empty());
  EXPECT_EQ(Contents()[3].second, Note(3).substr(0, 1000));

  // Bad magic: nothing can be known, nothing is written.
  auto data = FileBytes(path_);
  data[0] = 'X';
  WriteFileBytes(path_, data);
  EXPECT_EQ(Repair().error, error::kNotDatabaseFile);
  EXPECT_EQ(FileBytes(path_), data);
}

}  // namespace
}  // namespace store
