// The report painter on GDI: a receipt of hard cases drawn into a memory
// bitmap with every text whole in its cell, as the device measures it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "gui/win32/gdi_painter.h"
#include "platform/gbk.h"
#include "report/commands.h"
#include "report/layout.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"
#include "tests/report/receipt_builder.h"

namespace gui::win32 {
namespace {

using report::kReceiptRollPaper;

// A white 24-bit bitmap selected into a memory device context.
class PageBitmap {
 public:
  PageBitmap(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = width;
    info_.bmiHeader.biHeight = height;  // bottom-up, as a BMP file keeps it
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 24;
    info_.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info_, DIB_RGB_COLORS, &bits_, nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~PageBitmap() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  std::size_t stride() const { return (info_.bmiHeader.biWidth * 3 + 3) / 4 * 4; }
  std::size_t size() const { return stride() * static_cast<std::size_t>(info_.bmiHeader.biHeight); }

  // The share of pixels that are not white.
  double Inked() {
    GdiFlush();
    const auto* p = static_cast<const unsigned char*>(bits_);
    std::size_t inked = 0;
    for (std::size_t i = 0; i < size(); ++i) inked += p[i] < 200;
    return static_cast<double>(inked) / static_cast<double>(size());
  }

  void SaveBmp(const std::string& path) {
    GdiFlush();
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info_.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.write(static_cast<const char*>(bits_), static_cast<std::streamsize>(size()));
  }

 private:
  HDC dc_;
  BITMAPINFO info_{};
  void* bits_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// Draws through a GDI painter and checks that every text it is given lies
// whole inside its cell, by the extents GDI gives for the drawn font.
class CheckingPainter : public report::Painter {
 public:
  CheckingPainter(GdiPagePainter& page, std::string where)
      : page_(page), where_(std::move(where)) {}
  void Line(int x1, int y1, int x2, int y2, int width) override {
    page_.Line(x1, y1, x2, y2, width);
  }
  void Fill(const report::Rect& rect, std::uint32_t colour) override { page_.Fill(rect, colour); }
  void Text(const report::Rect& rect, std::string_view text,
            const report::TextFormat& format) override {
    page_.Text(rect, text, format);
    if (text.empty()) return;
    ++texts;
    const double s = page_.units_per_tenth();
    const RECT bounds = page_.TextBounds(rect, text, format);
    const std::string shown = platform::GbkToUtf8(std::string(text), false);
    // A device unit of rounding either way.
    EXPECT_GE(bounds.left + 1, rect.left * s) << where_ << ": " << shown;
    EXPECT_LE(bounds.right - 1, rect.right * s) << where_ << ": " << shown;
    EXPECT_GE(bounds.top + 1, rect.top * s) << where_ << ": " << shown;
    EXPECT_LE(bounds.bottom - 1, rect.bottom * s) << where_ << ": " << shown;
    EXPECT_GE(format.size, report::kMinTextSize) << where_ << ": " << shown;
  }
  report::TextExtent Measure(std::string_view text, const report::TextFormat& format,
                             int wrap_width) const override {
    return page_.Measure(text, format, wrap_width);
  }
  int texts = 0;

 private:
  GdiPagePainter& page_;
  std::string where_;
};

class HardReceipt : public ::testing::Test {
 protected:
  HardReceipt() : bindings_({&units_, nullptr}) {
    report::RegisterReportCommands(commands_);
    report::testing::BuildHardReceipt(
        [this](const std::string& name, std::vector<runtime::Value> args) {
          return (*commands_.Find(name))(args);
        },
        report::testing::DataSourceUnit());
  }
  report::testing::FakeUnitTables units_;
  report::ScopedBindings bindings_;
  runtime::CommandTable commands_;
};

TEST_F(HardReceipt, EveryTextLiesWholeInItsCellOnEveryPaper) {
  report::Table& t = units_.table;
  constexpr int kDpi = 150;
  const double scale = kDpi / 254.0;
  for (std::int16_t paper : {std::int16_t{9}, std::int16_t{11}, kReceiptRollPaper}) {
    const std::string where = "paper " + std::to_string(paper);
    t.print.paper_size = paper;
    const report::PageSize size = report::PaperOf(paper, 1);
    PageBitmap bitmap(static_cast<int>(size.width * scale) + 1,
                      static_cast<int>(size.height * scale) + 1);
    GdiPagePainter page(bitmap.dc(), scale);
    CheckingPainter checking(page, where);
    const report::Pagination pages =
        report::Paginate(t, report::PrintableArea(size, t.print), page);
    ASSERT_EQ(pages.pages.size(), 1u) << where;
    report::DrawPage(t, pages, pages.pages[0], size, checking);
    EXPECT_GE(checking.texts, 25) << where;
    EXPECT_GT(bitmap.Inked(), 0.002) << where;
    if (const char* keep = std::getenv("ORDERDESK_RECEIPT_BMP"); keep && paper == 11)
      bitmap.SaveBmp(keep);
  }
  // The grid in a window at the screen's resolution, at its designed width.
  PageBitmap screen(800, 900);
  GdiPagePainter page(screen.dc(), 96 / 254.0);
  CheckingPainter checking(page, "grid");
  report::DrawTable(t, checking, 1850);
  EXPECT_GE(checking.texts, 25);
}

// What a text measures is the room it takes when drawn, wrapped or not,
// in the face the report names or the stand-in for it.
TEST(GdiPagePainter, MeasuresWhatItDrawsAndWrapsChineseText) {
  PageBitmap bitmap(400, 200);
  GdiPagePainter page(bitmap.dc(), 1.0);
  report::TextFormat format;
  format.face = platform::Utf8ToGbk("黑体");
  format.size = 20;
  const std::string text = platform::Utf8ToGbk("日本直邮原装进口护手霜");
  const report::TextExtent one = page.Measure(text, format, 0);
  EXPECT_GT(one.width, 11 * 15);
  EXPECT_GE(one.height, 20);
  format.wrap = true;
  const report::TextExtent wrapped = page.Measure(text, format, 100);
  EXPECT_LE(wrapped.width, 100);
  EXPECT_GE(wrapped.height, 2 * one.height);
  page.Text({10, 10, 110, 190}, text, format);
  const RECT bounds = page.TextBounds({10, 10, 110, 190}, text, format);
  EXPECT_LE(bounds.right, 110);
  EXPECT_GT(bitmap.Inked(), 0.01);
  // A text drawn outside its rectangle is clipped there.
  PageBitmap clipped(400, 200);
  GdiPagePainter small(clipped.dc(), 1.0);
  format.wrap = false;
  small.Text({0, 0, 5, 5}, text, format);
  EXPECT_LT(clipped.Inked(), 25.0 / (400 * 200));
}

}  // namespace
}  // namespace gui::win32
