#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "store/database_list.h"
#include "store_test_util.h"
#include "tests/support/file_mode.h"
#include "tools/ldgtool/ldgtool.h"
#include "tools/ldgtool/tsv.h"

namespace ldgtool {
namespace {

using namespace store_test;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome Tool(std::vector<std::string> args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = RunLdgTool(args, in, out, err);
  return {status, out.str(), err.str()};
}

class LdgToolTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.File(name); }
  testing_support::TempDir dir_;
};

TEST_F(LdgToolTest, InitMakesTheThreeProtectedDeskFilesForTheOwnerOnly) {
  Outcome made = Tool({"init", dir_.path().string()});
  ASSERT_EQ(made.status, 0) << made.err;
  const struct {
    const char* name;
    std::size_t fields;
  } files[] = {{"流水账.ldg", 22}, {"客户库.ldg", 5}, {"报表库.ldg", 3}, {"报表库.lgt", 0}};
  for (const auto& f : files) {
    ASSERT_TRUE(std::filesystem::exists(testing_support::Utf8Path(File(f.name)))) << f.name;
    if (auto bits = testing_support::PermissionBits(testing_support::Utf8Path(File(f.name)))) {
      EXPECT_EQ(*bits, 0600u) << f.name;
    }
    if (f.fields == 0) continue;
    store::DatabaseList list;
    ASSERT_FALSE(list.OpenDatabase(OpenArgs(Gbk(File(f.name)))));
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(Gbk(File(f.name)), "", "qkd3094716"))) << f.name;
    EXPECT_EQ(list.current()->fields().size(), f.fields);
    EXPECT_EQ(list.current()->long_values() != nullptr, std::string(f.name) == "报表库.ldg");
  }
  // The ledger's texts hold what their boxes take; field 19 is an integer.
  store::DatabaseList list;
  ASSERT_TRUE(list.OpenDatabase(OpenArgs(Gbk(File("流水账.ldg")), "", "qkd3094716")));
  const auto& ledger = list.current()->fields();
  EXPECT_EQ(ledger[18].type, store::FieldType::kInt);
  EXPECT_GE(ledger[2].width, 200);
  EXPECT_GE(ledger[19].width, 400);
  EXPECT_GE(ledger[15].width, 400);
  EXPECT_GE(ledger[17].width, 18 + 40);
  for (int i : {0, 1, 7, 8, 13}) EXPECT_GE(ledger[static_cast<std::size_t>(i)].width, 40);
  EXPECT_TRUE(list.AppendRecord());
  EXPECT_TRUE(
      list.WriteField(runtime::Value::Int(18),
                      runtime::Value::OfText(Gbk("售后提货，提货人是") + std::string(40, 'n'))));
  EXPECT_EQ(list.ReadField(runtime::Value::Int(18)).AsText().size(), 58u);
}

TEST_F(LdgToolTest, InitNeverOverwritesAndSaysWhich) {
  WriteFileBytes(Gbk(File("报表库.LGT")), {1, 2, 3});
  Outcome refused = Tool({"init", dir_.path().string()});
  EXPECT_EQ(refused.status, 1);
  // The name found, or (where names are not told apart by letter case)
  // the name looked for.
  EXPECT_TRUE(refused.err.find("报表库.LGT exists") != std::string::npos ||
              refused.err.find("报表库.lgt exists") != std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(testing_support::Utf8Path(File("流水账.ldg"))));
  EXPECT_EQ(FileBytes(Gbk(File("报表库.LGT"))), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(LdgToolTest, CreateAndInfo) {
  Outcome made = Tool({"create", File("t.ldg"), "名称:text:10", "n:int", "when:8", "blob:byteset",
                       "--password", "pw"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(std::filesystem::exists(File("t.lgt")));
  Outcome info = Tool({"info", File("t.ldg"), "--password", "pw"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out,
            "magic\tLDGP\nversion\t0x10000\nrecords\t0\nnext serial\t1\nrecord size\t32\n"
            "data start\t404\n"
            "field\t1\t名称\ttext\t4\t10\n"
            "field\t2\tn\tint\t16\t4\n"
            "field\t3\twhen\tdatetime\t20\t8\n"
            "field\t4\tblob\tbyteset\t28\t4\n");
  EXPECT_EQ(Tool({"create", File("t.ldg"), "a:int"}).status, 1);
  for (const char* bad : {"a", "a:text", "a:int:4", "a:text:0", "a:what", "1a:int", "a:text:x"})
    EXPECT_EQ(Tool({"create", File("u.ldg"), bad}).status, bad == std::string("1a:int") ? 1 : 2)
        << bad;
  Outcome wrong = Tool({"info", File("t.ldg"), "--password", "nope"});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("error -78"), std::string::npos);
}

TEST_F(LdgToolTest, DumpAfterImportGivesTheTsvBack) {
  ASSERT_EQ(Tool({"create", File("all.ldg"), "b:byte", "s:short", "i:int", "l:long", "f:float",
                  "d:double", "o:bool", "t:datetime", "p:subroutine", "x:text:40", "y:byteset",
                  "z:longtext"})
                .status,
            0);
  const std::string tsv =
      "serial\tb\ts\ti\tl\tf\td\to\tt\tp\tx\ty\tz\n"
      "1\t255\t-32768\t-2147483648\t-9223372036854775808\t0.1\t0.30000000000000004\t1\t"
      "2008-05-01 14:05:09\t4198400\t张三\\t\\\\x\\r\\n\t0x00ff10\t" +
      std::string(700, 'L') +
      "一\n"
      "2\t0\t0\t0\t0\t0\t0\t0\t1899-12-30 00:00:00\t0\t\t\t\n"
      "3\t7\t1\t2\t3\t1e+20\t-1.5e-300\t0\t9999-12-31 00:00:00\t1\t\\x81\\xff半\t0x01\tend\n";
  Outcome imported = Tool({"import", File("all.ldg")}, tsv);
  ASSERT_EQ(imported.status, 0) << imported.err;
  Outcome dumped = Tool({"dump", File("all.ldg")});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.out, tsv);
}

TEST_F(LdgToolTest, ImportChecksEveryLineBeforeAppending) {
  ASSERT_EQ(Tool({"create", File("b.ldg"), "n:int", "x:text:8"}).status, 0);
  const char* bad[] = {"1\t5\tok\n2\tfive\tno\n", "1\t5\n", "1\t5\tok\textra\n",
                       "1\t99999999999\tx\n", "1\t5\tbad\\q\n"};
  for (const char* input : bad) {
    Outcome refused = Tool({"import", File("b.ldg")}, input);
    EXPECT_EQ(refused.status, 1) << input;
    EXPECT_NE(refused.err.find("nothing was imported"), std::string::npos) << input;
  }
  EXPECT_EQ(Tool({"dump", File("b.ldg")}).out, "serial\tn\tx\n");
  // The serial column is ignored: records get the file's next serials.
  ASSERT_EQ(Tool({"import", File("b.ldg")}, "9\t1\ta\r\n-4\t2\tb\n").status, 0);
  EXPECT_EQ(Tool({"dump", File("b.ldg")}).out, "serial\tn\tx\n1\t1\ta\n2\t2\tb\n");
}

TEST_F(LdgToolTest, DumpShowsDeletedRecordsWithNegativeSerials) {
  ASSERT_EQ(Tool({"create", File("d.ldg"), "n:int"}).status, 0);
  ASSERT_EQ(Tool({"import", File("d.ldg")}, "0\t1\n0\t2\n").status, 0);
  {
    store::DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(Gbk(File("d.ldg")))));
    ASSERT_TRUE(list.DeleteRecord());
  }
  EXPECT_EQ(Tool({"dump", File("d.ldg")}).out, "serial\tn\n-1\t1\n2\t2\n");
}

TEST_F(LdgToolTest, VerifyTellsSoundFromDamagedAndUnopenable) {
  ASSERT_EQ(Tool({"create", File("v.ldg"), "n:int", "y:byteset"}).status, 0);
  std::string long_value(1200, 'a');
  ASSERT_EQ(Tool({"import", File("v.ldg")}, "0\t1\t0x" + std::string(2400, 'a') + "\n0\t2\t0x01\n")
                .status,
            0);
  Outcome sound = Tool({"verify", File("v.ldg")});
  EXPECT_EQ(sound.status, 0) << sound.out;
  EXPECT_EQ(sound.out, "ok: 2 records, 2 long values\n");

  // Record 2's value now points into record 1's chain.
  PatchFile(Gbk(File("v.ldg")), "",
            [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 116 + 2 * 72 + 12 + 8, 2); });
  Outcome damaged = Tool({"verify", File("v.ldg")});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out.find("problem: record 2 field 2: block 2 also belongs to record 1 field 2"),
            std::string::npos)
      << damaged.out;

  Outcome unopenable = Tool({"verify", File("v.ldg"), "--password", "x"});
  EXPECT_EQ(unopenable.status, 2);
  EXPECT_NE(unopenable.err.find("error -78"), std::string::npos);
  EXPECT_EQ(Tool({"verify", File("missing.ldg")}).status, 2);
}

// A file that grew sparse beyond the disk's free space is not copied aside
// (nor, so, repaired).
TEST_F(LdgToolTest, RepairRefusesACopyAsideTheDiskCannotHold) {
  ASSERT_EQ(Tool({"create", File("big.ldg"), "n:int"}).status, 0);
  const std::optional<std::uint64_t> free = platform::FreeSpaceBeside(Gbk(File("big.ldg")));
  ASSERT_TRUE(free);
  const std::uint64_t size = *free + (std::uint64_t{1} << 30);
  std::error_code no_sparse;
  std::filesystem::resize_file(testing_support::Utf8Path(File("big.ldg")), size, no_sparse);
  if (no_sparse) GTEST_SKIP() << "no file that large here: " << no_sparse.message();
  Outcome refused = Tool({"repair", File("big.ldg")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("do not fit in the"), std::string::npos) << refused.err;
  EXPECT_EQ(std::filesystem::file_size(testing_support::Utf8Path(File("big.ldg"))), size);
}

TEST_F(LdgToolTest, RepairCopiesTheFilesAsideThenMendsAndSaysWhat) {
  ASSERT_EQ(Tool({"create", File("r.ldg"), "n:int", "memo:longtext"}).status, 0);
  ASSERT_EQ(Tool({"import", File("r.ldg")}, "0\t1\tone\n0\t2\ttwo\n0\t3\tthree\n").status, 0);
  const std::string before = Tool({"dump", File("r.ldg")}).out;
  PatchFile(Gbk(File("r.ldg")), "",
            [](std::vector<std::uint8_t>& bytes) { PutInt32(bytes, 24, 0x7FFFFFFF); });
  const auto damaged = FileBytes(Gbk(File("r.ldg")));
  EXPECT_EQ(Tool({"verify", File("r.ldg")}).status, 2);

  Outcome repaired = Tool({"repair", File("r.ldg")});
  ASSERT_EQ(repaired.status, 0) << repaired.out << repaired.err;
  EXPECT_NE(repaired.out.find("changed: record size 2147483647 -> 12"), std::string::npos)
      << repaired.out;
  EXPECT_NE(repaired.out.find("ok: 3 records"), std::string::npos) << repaired.out;
  EXPECT_EQ(Tool({"dump", File("r.ldg")}).out, before);
  std::vector<std::string> copies;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    std::string name = entry.path().filename().string();
    if (name.rfind("r-", 0) != 0) continue;
    copies.push_back(name);
    if (auto bits = testing_support::PermissionBits(entry.path())) {
      EXPECT_EQ(*bits, 0600u) << name;
    }
    if (entry.path().extension() == ".ldg") {
      EXPECT_TRUE(FileBytes(Gbk(entry.path().string())) == damaged);
    }
  }
  EXPECT_EQ(copies.size(), 2u);

  // Nothing to go on: the files stay as they were.
  auto bytes = FileBytes(Gbk(File("r.ldg")));
  bytes[0] = 'X';
  WriteFileBytes(Gbk(File("r.ldg")), bytes);
  Outcome refused = Tool({"repair", File("r.ldg")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("error -22"), std::string::npos);
  EXPECT_TRUE(FileBytes(Gbk(File("r.ldg"))) == bytes);
}

// Texts of every shape: each byte value, the pairs that used to dump
// ambiguously, lone lead bytes at the end and before the separators.
TEST_F(LdgToolTest, DumpThenImportReproducesTheFilesByteForByte) {
  std::vector<std::string> texts = {"\x80\x5c", "\x81",   "\x81\t",       "\x80\x81\x40",
                                    "\x95\\n",  "a\\x41", Gbk("中文\r\n")};
  std::string every;
  for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
  texts.push_back(every);
  std::mt19937 random(7);
  for (int i = 0; i < 20; ++i) {
    std::string noise(random() % 1300, 'x');
    for (char& c : noise) c = static_cast<char>(1 + random() % 255);
    texts.push_back(noise);
  }
  const std::vector<std::string> fields = {"t:text:40", "l:longtext", "b:byteset"};
  auto create = [&](const std::string& name) {
    std::vector<std::string> args = {"create", File(name), "--password", "pw"};
    args.insert(args.end(), fields.begin(), fields.end());
    ASSERT_EQ(Tool(args).status, 0);
  };
  create("a.ldg");
  {
    store::DatabaseList list;
    ASSERT_TRUE(list.OpenDatabase(OpenArgs(Gbk(File("a.ldg")), "", "pw")));
    for (const std::string& text : texts) {
      const runtime::Value values[] = {runtime::Value::OfText(text), runtime::Value::OfText(text),
                                       runtime::Value::OfBytes({text.begin(), text.end()})};
      ASSERT_TRUE(list.AppendRecord(values));
    }
  }
  Outcome dumped = Tool({"dump", File("a.ldg"), "--password", "pw"});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  create("b.ldg");
  Outcome imported = Tool({"import", File("b.ldg"), "--password", "pw"}, dumped.out);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(Tool({"dump", File("b.ldg"), "--password", "pw"}).out, dumped.out);
  EXPECT_TRUE(FileBytes(Gbk(File("a.ldg"))) == FileBytes(Gbk(File("b.ldg"))));
  EXPECT_TRUE(FileBytes(Gbk(File("a.lgt"))) == FileBytes(Gbk(File("b.lgt"))));
}

TEST(TsvCells, EscapesRoundTripAndBadEscapesAreRefused) {
  const std::string texts[] = {"",         "plain",    Gbk("中文\\"), "tab\there",
                               "\x81\x0a", "\x95\x5c", "\xff",        "\\x41"};
  for (const std::string& text : texts) {
    std::string cell = EscapeText(text);
    EXPECT_EQ(cell.find('\n'), std::string::npos);
    EXPECT_EQ(cell.find('\t'), std::string::npos);
    std::string back;
    ASSERT_TRUE(UnescapeText(cell, back)) << cell;
    EXPECT_EQ(back, text) << cell;
  }
  std::string out;
  for (const char* bad : {"\\", "\\q", "\\x4", "\\xzz"})
    EXPECT_FALSE(UnescapeText(bad, out)) << bad;
}

}  // namespace
}  // namespace ldgtool
