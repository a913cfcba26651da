#include "runtime/money.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/gbk.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

struct Case {
  double amount;
  const char* words;  // UTF-8
};

void ExpectWords(const std::vector<Case>& cases, bool simplified) {
  for (const auto& c : cases) {
    EXPECT_EQ(platform::GbkToUtf8(NumberToMoney(c.amount, simplified)), c.words)
        << "amount " << c.amount;
  }
}

TEST(NumberToMoney, FormalWords) {
  ExpectWords(
      {
          {0.05, "伍分"},
          {1, "壹元整"},
          {1.05, "壹元零伍分"},
          {10, "壹拾元整"},
          {10000, "壹万元整"},
          {1000001, "壹佰万零壹元整"},
          {100000000, "壹亿元整"},
          {1234.5, "壹仟贰佰叁拾肆元伍角整"},
          {-3, "负叁元整"},
          {0, "零"},
          {0.004, "零"},   // rounds to 0 fen
          {-0.004, "零"},  // no sign on zero
          {0.005, "壹分"},
          {0.5, "伍角整"},
          {0.55, "伍角伍分"},
          {10.01, "壹拾元零壹分"},
          {100.1, "壹佰元零壹角整"},
          {101, "壹佰零壹元整"},
          {1010, "壹仟零壹拾元整"},
          {100010, "壹拾万零壹拾元整"},
          {120000, "壹拾贰万元整"},
          {1200000000, "壹拾贰亿元整"},
          {100000001, "壹亿零壹元整"},
          {110000000, "壹亿壹仟万元整"},
          {1000000000000, "壹万亿元整"},
          {9999999999999.99, "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
          {10000000000000, "溢出"},
          {-10000000000000, "溢出"},  // no sign on an overflow
          {std::numeric_limits<double>::infinity(), "溢出"},
          {std::numeric_limits<double>::quiet_NaN(), "溢出"},
          {2.675, "贰元陆角捌分"},  // 267.49999... + 1e-12 still rounds half up
      },
      false);
}

TEST(NumberToMoney, SimplifiedWords) {
  ExpectWords(
      {
          {1234.5, "一千二百三十四元五角整"},
          {0.005, "一分"},
          {1000001, "一百万零一元整"},
          {1000000000000, "一万亿元整"},
          {-3, "负三元整"},
      },
      true);
}

}  // namespace
}  // namespace runtime
