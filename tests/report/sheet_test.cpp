#include "report/sheet.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"
#include "report/commands.h"
#include "report/layout.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"
#include "tests/report/receipt_builder.h"

namespace report {
namespace {

using platform::operator""_gbk;

TEST(FitText, KeepsWhatFitsThenShrinksThenWraps) {
  struct Case {
    std::string text;
    int size, width;
    int fitted_size;
    bool wrapped;
  };
  // The estimate: a double-byte character 1 size wide, a single byte 0.6.
  const Case cases[] = {
      {"12345", 40, 120, 40, false},                // 5 x 24 = 120: fits as it is
      {"1234567890", 40, 120, kMinTextSize, true},  // 20 would fit: too small
      {"1234567890", 40, 180, 30, false},           // 10 x 18 = 180
      {"合计合计合计合计"_gbk, 40, 240, 30, false},
      {"合计合计合计合计合计"_gbk, 40, 200, kMinTextSize, true},  // 10 x 25 > 200
      {"x", 20, 5, 20, true},  // a size below the legible one stays
  };
  TextMeasure measure;
  for (const Case& c : cases) {
    TextFormat format;
    format.size = c.size;
    const TextFormat fitted = FitText(c.text, format, c.width, 1000, measure);
    EXPECT_EQ(fitted.size, std::min(c.fitted_size, c.size)) << c.text;
    EXPECT_EQ(fitted.wrap, c.wrapped) << c.text;
    if (!fitted.wrap) {
      EXPECT_LE(measure.Measure(c.text, fitted, c.width).width, c.width);
    }
  }
  // A line taller than its cell is made smaller too (1.3 x 45 fits 59).
  TextFormat tall;
  tall.size = 49;
  EXPECT_EQ(FitText("DG1", tall, 1000, 59, measure).size, 45);
}

TEST(LayOut, ColumnsShareTheWidthAndWrappedTextsGrowTheirRow) {
  Table t(2, 2);
  t.column_widths = {100, 300};
  t.row_heights = {60, 60};
  Geometry g = LayOut(t, 100, 800, TextMeasure());
  EXPECT_EQ(g.column_widths, (std::vector<std::int64_t>{200, 600}));
  EXPECT_EQ(g.row_heights, (std::vector<std::int64_t>{60, 60}));
  // At 50 percent the table's own units are twice the paper's.
  EXPECT_EQ(LayOut(t, 50, 800, TextMeasure()).width(), 1600);
  EXPECT_EQ(LayOut(t, 100, 0, TextMeasure()).width(), 400);

  // Twenty characters in 100 - 2 x 8: three lines at the legible size.
  t.At(1, 0).SetText("合计合计合计合计合计合计合计合计合计合计"_gbk);
  g = LayOut(t, 100, 0, TextMeasure());
  EXPECT_EQ(g.row_heights[0], 60);
  EXPECT_GT(g.row_heights[1], 60);
  EXPECT_EQ(g.row_heights[1], TextMeasure()
                                  .Measure(t.At(1, 0).text(),
                                           FitText(t.At(1, 0).text(), CellFormat(t.At(1, 0), 100),
                                                   84, 60, TextMeasure()),
                                           84)
                                  .height);
}

// Every text of a receipt of hard cases lies whole in its cell, by the
// measure the painter draws with, on every paper a shop uses and on the
// grid at the table's own widths.
TEST(HardReceipt, EveryTextLiesWholeInItsCell) {
  testing::FakeUnitTables units;
  ScopedBindings bindings({&units, nullptr});
  runtime::CommandTable commands;
  RegisterReportCommands(commands);
  testing::BuildHardReceipt(
      [&commands](const std::string& name, std::vector<runtime::Value> args) {
        return (*commands.Find(name))(args);
      },
      testing::DataSourceUnit());
  Table& t = units.table;
  ASSERT_EQ(t.rows(), 13);
  auto check = [](const RecordingPainter& p, const std::string& where) {
    int texts = 0;
    for (const DrawOp& op : p.ops()) {
      if (op.kind != DrawOp::Kind::kText) continue;
      ++texts;
      const TextExtent e = p.Measure(op.text, op.format, op.rect.width());
      EXPECT_LE(e.width, op.rect.width()) << where << ": " << platform::GbkToUtf8(op.text);
      EXPECT_LE(e.height, op.rect.height()) << where << ": " << platform::GbkToUtf8(op.text);
      EXPECT_GE(op.format.size, kMinTextSize) << where << ": " << platform::GbkToUtf8(op.text);
    }
    EXPECT_GE(texts, 25) << where;
  };
  for (std::int16_t paper : {std::int16_t{9}, std::int16_t{11}, kReceiptRollPaper}) {
    t.print.paper_size = paper;
    const PageSize size = PaperOf(paper, 1);
    const Pagination pages = Paginate(t, PrintableArea(size, t.print));
    ASSERT_EQ(pages.pages.size(), 1u) << paper;
    EXPECT_EQ(pages.geometry.width() * pages.scale / 100, PrintableArea(size, t.print).width);
    RecordingPainter p;
    DrawPage(t, pages, pages.pages[0], size, p);
    check(p, "paper " + std::to_string(paper));
  }
  for (int width : {0, 1850}) {
    RecordingPainter p;
    DrawTable(t, p, width);
    check(p, "grid " + std::to_string(width));
    EXPECT_EQ(TableExtent(t, p, width).width, width > 0 ? width : t.total_width());
  }
}

}  // namespace
}  // namespace report
