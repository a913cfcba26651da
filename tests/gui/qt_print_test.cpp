// The real printing and preview windows, run offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "gui/preview_grid_view.h"
#include "gui/print_painter.h"
#include "gui/print_progress.h"
#include "gui/print_service.h"
#include "gui/print_settings_dialog.h"
#include "platform/gbk.h"
#include "report/commands.h"
#include "report/layout.h"
#include "report/operations.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"
#include "tests/report/receipt_builder.h"
#include "tests/support/pdf_pages.h"
#include "tests/support/temp_dir.h"

namespace report {
namespace {

using platform::operator""_gbk;
using runtime::Value;

QApplication& App() {
  static int argc = 1;
  static char name[] = "report_qt_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

using Units = testing::FakeUnitTables;

class QtPrinting : public ::testing::Test {
 protected:
  QtPrinting() : bindings_({&units_, &service_}) {
    App();
    RegisterReportCommands(commands_);
  }

  Value Call(const std::string& name, std::vector<Value> args) {
    return (*commands_.Find(name))(args);
  }
  static Value Source() { return testing::DataSourceUnit(); }
  static Value Grid() { return testing::GridUnit(); }
  void BuildReceipt() {
    testing::BuildTwoItemReceipt(
        [this](const std::string& name, std::vector<Value> args) {
          return Call(name, std::move(args));
        },
        Source());
  }

  Units units_;
  gui::QtPrintService service_;
  ScopedBindings bindings_;
  runtime::CommandTable commands_;
};

using testing_support::PdfPages;

TEST_F(QtPrinting, ThePreviewOpensOnceAGridAndCountsItsPages) {
  units_.table = Table(8, 1);
  units_.table.print.rows_per_page = 3;
  EXPECT_EQ(Call("GridPrintPreview", {Grid()}), Value());
  gui::PreviewWindow* preview = service_.PreviewOf(Grid());
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  EXPECT_EQ(preview->windowTitle(), QStringLiteral("打印预览"));
  EXPECT_EQ(preview->page_count(), 3);
  EXPECT_EQ(preview->status(), QStringLiteral("1 / 3"));

  Call("GridPrintPreview", {Grid()});
  EXPECT_EQ(service_.PreviewOf(Grid()), preview);

  preview->ShowPage(5);
  EXPECT_EQ(preview->status(), QStringLiteral("3 / 3"));
  EXPECT_TRUE(preview->GoToNumber(2));
  EXPECT_EQ(preview->current_page(), 1);
  EXPECT_FALSE(preview->GoToNumber(4));

  // A changed table shows on the next refresh.
  units_.table.print.rows_per_page = 4;
  preview->Refresh();
  EXPECT_EQ(preview->page_count(), 2);
  preview->grab();  // paints the page
  preview->close();
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(service_.PreviewOf(Grid()), nullptr);
}

TEST_F(QtPrinting, ATwoItemReceiptPrintsToAPdfFile) {
  BuildReceipt();
  testing_support::TempDir dir;
  std::string path = dir.File("receipt.pdf");
  units_.table.print.print_to_file = 1;
  units_.table.print.output_file = platform::Utf8ToGbk(path);
  units_.table.print.copies = 2;
  EXPECT_EQ(Call("GridPrint", {Grid(), Value(), Value::OfText("代购订单"_gbk)}), Value::OfText(""));
  EXPECT_EQ(PdfPages(path), 2);
  // Kept for the documentation when asked for.
  if (const char* keep = std::getenv("ORDERDESK_RECEIPT_PDF")) {
    units_.table.print.copies = 1;
    units_.table.print.output_file = platform::Utf8ToGbk(keep);
    EXPECT_EQ(Call("GridPrint", {Grid(), Value::Int(0)}), Value::OfText(""));
  }
}

TEST_F(QtPrinting, PrintingToANonPdfFileNeedsAPrinter) {
  units_.table = Table(1, 1);
  units_.table.print.print_to_file = 1;
  units_.table.print.output_file = "out.prn";
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer is installed";
  EXPECT_EQ(Call("GridPrint", {Grid()}), Value::OfText("无法创建打印机设备"_gbk));
  units_.table.print.output_file.clear();
  EXPECT_EQ(Call("GridPrint", {Grid()}), Value::OfText("未指定欲打印到的文件名称"_gbk));
}

TEST(QtPrintProgress, ShowsTheJobAndStopsOnTheButton) {
  App();
  gui::QtPrintProgress progress;
  EXPECT_EQ(progress.windowTitle(), QStringLiteral("正在打印，请稍候..."));
  EXPECT_EQ(progress.abort_button()->text(), QStringLiteral("中止打印(&C)"));
  progress.Show(print_text::Progress(1, 2, 3, 4, print_text::FileDestination("a.pdf")), 40);
  EXPECT_EQ(progress.message(), QStringLiteral("正在打印第 1/2 份 3/4 页到 文件: a.pdf "));
  EXPECT_EQ(progress.percent(), 40);
  EXPECT_FALSE(progress.AbortRequested());
  progress.abort_button()->click();
  EXPECT_TRUE(progress.AbortRequested());
}

TEST(PrintSettingsDialog, GivesBackEveryFieldItShows) {
  App();
  PrintSettings s;
  s.margin_left = 105;
  s.margin_top = 0;
  s.margin_right = 230;
  s.margin_bottom = 7;
  s.page_number_position = 2;
  s.scale_code = 80;
  s.paper_size = 11;
  s.orientation = 2;
  s.repeat_last_row = 1;
  s.add_table_lines = 1;
  s.rows_per_page = 12;
  s.range_mode = 2;
  s.range_start = 3;
  s.range_end = 9;
  s.odd_even = 1;
  s.first_page_number = 5;
  s.copies = 3;
  s.print_to_file = 1;
  s.output_file = "收据.pdf"_gbk;
  gui::PrintSettingsDialog dialog(s);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打印设置对话框"));
  EXPECT_EQ(dialog.findChild<QLineEdit*>("margin0")->text(), QStringLiteral("10.5"));
  EXPECT_EQ(dialog.findChild<QLineEdit*>("margin1")->text(), QStringLiteral("0"));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.settings(), s);

  for (std::int16_t code : {-1, -2}) {
    s.scale_code = code;
    s.range_end = 0;
    gui::PrintSettingsDialog other(s);
    other.accept();
    EXPECT_EQ(other.settings(), s);
  }
}

TEST(PrintSettingsDialog, AMarginThatIsNotALengthKeepsTheWindowOpen) {
  App();
  gui::PrintSettingsDialog dialog(PrintSettings{});
  dialog.findChild<QLineEdit*>("margin2")->setText("1.25");
  // The refusal is shown in a box; close it as soon as it opens.
  QMetaObject::invokeMethod(
      &dialog,
      [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
      },
      Qt::QueuedConnection);
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.settings().margin_right, 230);
}

TEST(QtPagePainter, DrawsLinesAndChineseTextOnAnImage) {
  App();
  Table t(1, 2);
  SetCellText(t, 1, 1, "合计"_gbk);
  SetBorders(t, {1, 1, 1, 2}, 63);
  QImage image(400, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    gui::QtPagePainter page(painter, 1.0);
    DrawTable(t, page);
  }
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(dark, 400);
  // The text lies inside the first cell only.
  int text_pixels = 0;
  for (int y = 5; y < 55; ++y)
    for (int x = 205; x < 395; ++x) text_pixels += qGray(image.pixel(x, y)) < 128;
  EXPECT_EQ(text_pixels, 0);
}

TEST(GridView, PaintsTheTableItShows) {
  App();
  Table t(3, 2);
  gui::GridView view;
  view.SetTable(&t);
  EXPECT_GT(view.sizeHint().width(), 0);
  view.resize(view.sizeHint());
  EXPECT_FALSE(view.grab().isNull());
  EXPECT_FALSE(gui::FontFamiliesFor("黑体"_gbk).isEmpty());
}

}  // namespace
}  // namespace report
