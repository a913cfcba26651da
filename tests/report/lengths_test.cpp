#include "report/lengths.h"

#include <gtest/gtest.h>

namespace report {
namespace {

TEST(MillimetreText, OneDecimalOnlyWhenThereAreTenths) {
  for (auto [tenths, text] : {std::pair{230, "23"},
                              {105, "10.5"},
                              {0, "0"},
                              {5, "0.5"},
                              {-5, "-0.5"},
                              {-230, "-23"},
                              {INT32_MIN, "-214748364.8"}})
    EXPECT_EQ(MillimetreText(tenths), text) << tenths;
}

TEST(ParseMillimetres, ReadsWholeMillimetresAndOneDecimal) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> tenths;
  };
  const Case cases[] = {
      {"23", 230},
      {"10.5", 105},
      {" 7 ", 70},
      {".5", 5},
      {"10.", 100},
      {"0", 0},
      {"100000", 1000000},
      {"", std::nullopt},
      {".", std::nullopt},
      {"1.25", std::nullopt},
      {"-1", std::nullopt},
      {"1e2", std::nullopt},
      {"abc", std::nullopt},
      {"100001", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMillimetres(c.text), c.tenths) << c.text;
}

}  // namespace
}  // namespace report
