// The real printing and preview windows, run offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "gui/preview_grid_view.h"
#include "gui/print_device.h"
#include "gui/print_painter.h"
#include "gui/print_progress.h"
#include "gui/print_service.h"
#include "gui/print_settings_dialog.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_dialogs.h"
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

// Draws through the real painter and checks every text against its cell
// by the painter's own font measurements.
class CheckingPainter : public Painter {
 public:
  CheckingPainter(gui::QtPagePainter& inner, double scale, std::string where)
      : inner_(inner), scale_(scale), where_(std::move(where)) {}
  void Line(int x1, int y1, int x2, int y2, int width) override {
    inner_.Line(x1, y1, x2, y2, width);
  }
  void Fill(const Rect& rect, std::uint32_t colour) override { inner_.Fill(rect, colour); }
  void Text(const Rect& rect, std::string_view text, const TextFormat& format) override {
    ++texts;
    const QRectF cell(rect.left * scale_, rect.top * scale_, rect.width() * scale_,
                      rect.height() * scale_);
    const QRectF drawn = inner_.TextBounds(rect, text, format);
    EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(drawn))
        << where_ << ": " << platform::GbkToUtf8(std::string(text)) << " needs " << drawn.width()
        << "x" << drawn.height() << " in " << cell.width() << "x" << cell.height();
    EXPECT_GE(format.size, kMinTextSize) << where_;
    inner_.Text(rect, text, format);
  }
  TextExtent Measure(std::string_view text, const TextFormat& format,
                     int wrap_width) const override {
    return inner_.Measure(text, format, wrap_width);
  }
  int texts = 0;

 private:
  gui::QtPagePainter& inner_;
  double scale_;
  std::string where_;
};

TEST_F(QtPrinting, EveryTextOfAHardReceiptPrintsWholeOnEveryPaper) {
  testing::BuildHardReceipt([this](const std::string& name,
                                   std::vector<Value> args) { return Call(name, std::move(args)); },
                            Source());
  Table& t = units_.table;
  testing_support::TempDir dir;
  for (std::int16_t paper : {std::int16_t{9}, std::int16_t{11}, kReceiptRollPaper}) {
    const std::string where = "paper " + std::to_string(paper);
    t.print.paper_size = paper;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("check.pdf")));
    printer.setPageSize(*gui::PageSizeOfCode(paper));
    printer.setFullPage(true);
    QPainter painter(&printer);
    const double scale = printer.resolution() / 254.0;
    gui::QtPagePainter page(painter, scale);
    CheckingPainter checking(page, scale, where);
    const PageSize size = gui::PaperForPreview(t.print);
    EXPECT_EQ(size.width, PaperOf(paper, 1).width) << where;
    const Pagination pages = Paginate(t, PrintableArea(size, t.print), page);
    ASSERT_EQ(pages.pages.size(), 1u) << where;
    DrawPage(t, pages, pages.pages[0], size, checking);
    EXPECT_GE(checking.texts, 25) << where;
  }
  // The grid at its designed width, where the receipt has only its own 80 mm.
  QImage image(800, 900, QImage::Format_RGB32);
  QPainter painter(&image);
  gui::QtPagePainter page(painter, 96 / 254.0);
  CheckingPainter checking(page, 96 / 254.0, "grid");
  DrawTable(t, checking, 1850);
  DrawTable(t, checking);

  // On paper through GridPrint, every amount and the time whole.
  for (std::int16_t paper : {std::int16_t{9}, std::int16_t{11}}) {
    t.print.paper_size = paper;
    t.print.print_to_file = 1;
    const std::string path = dir.File("hard" + std::to_string(paper) + ".pdf");
    t.print.output_file = platform::Utf8ToGbk(path);
    EXPECT_EQ(Call("GridPrint", {Grid(), Value::Int(0)}), Value::OfText(""));
    const std::string text = testing_support::PdfText(path);
    // (The PDF's fonts give some characters back as their radicals: look
    // for what reads back plainly.)
    for (const char* whole :
         {"DG2026123123595901", "23时59分59秒", "13800001111", "12345678.99", "87654321.5",
          "-12345678.12", "2147483647", "75298643.46元", "87654322.37元", "12355678.91元"})
      EXPECT_NE(text.find(whole), std::string::npos) << paper << ": " << whole << "\n" << text;
  }
  // Kept for the documentation when asked for: the receipt on A5.
  if (const char* keep = std::getenv("ORDERDESK_HARD_RECEIPT_PDF")) {
    t.print.paper_size = 11;
    t.print.output_file = platform::Utf8ToGbk(keep);
    EXPECT_EQ(Call("GridPrint", {Grid(), Value::Int(0)}), Value::OfText(""));
  }
}

TEST_F(QtPrinting, ThePreviewSavesAPdfUnderTheOrderNumberFromItsToolbar) {
  BuildReceipt();
  testing_support::TempDir dir;
  platform::ScriptedDialogs dialogs;
  platform::ScopedServices services({nullptr, nullptr, &dialogs});
  std::vector<platform::ShownFileDialog> asked;
  dialogs.SetFileObserver([&asked](const platform::ShownFileDialog& d) { asked.push_back(d); });
  service_.SetDocumentName(Grid(), "DG20080501001");
  Call("GridPrintPreview", {Grid()});
  gui::PreviewWindow* preview = service_.PreviewOf(Grid());
  ASSERT_NE(preview, nullptr);
  // It opens whole on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(preview->frameGeometry()))
      << preview->frameGeometry().x() << "," << preview->frameGeometry().y() << " "
      << preview->frameGeometry().width() << "x" << preview->frameGeometry().height() << " in "
      << screen.width() << "x" << screen.height() << " min " << preview->minimumSizeHint().width()
      << "x" << preview->minimumSizeHint().height() << " geo " << preview->geometry().height();
  auto* save = preview->findChild<QPushButton*>(QStringLiteral("保存为PDF"));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->text(), QStringLiteral("保存为PDF"));

  // Cancelled: nothing is written.
  dialogs.QueueFileName(std::nullopt);
  save->click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].caption, "保存为PDF"_gbk);
  const std::string documents =
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
  EXPECT_EQ(asked[0].proposed_path, platform::Utf8ToGbk(documents + "/DG20080501001.pdf"));

  // A name without its end gets ".pdf"; the table's own settings stay.
  const std::string path = dir.File("小票");
  dialogs.QueueFileName(platform::Utf8ToGbk(path));
  save->click();
  EXPECT_EQ(PdfPages(path + ".pdf"), 1);
  EXPECT_NE(testing_support::PdfText(path + ".pdf").find("DG20080501001"), std::string::npos);
  EXPECT_EQ(units_.table.print.print_to_file, 0);
  EXPECT_TRUE(units_.table.print.output_file.empty());
  EXPECT_TRUE(dialogs.shown().empty());
  preview->close();
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

// A box opens centred over the window it belongs to, wide enough for its
// whole title however short its text.
TEST(QtDialogs, ABoxIsCentredOverTheMainWindowWithItsWholeTitle) {
  App();
  QWidget main;
  main.setGeometry(60, 80, 760, 520);
  main.show();
  QApplication::setActiveWindow(&main);
  QRect box_geometry;
  int title_width = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box_geometry = box->geometry();
    title_width = box->fontMetrics().horizontalAdvance(box->windowTitle());
    box->accept();
  });
  platform::QtDialogs dialogs;
  dialogs.ShowMessageBox("好"_gbk, "实收款小于应收款，是否收取订金？"_gbk, 0);
  EXPECT_GT(box_geometry.width(), title_width);
  EXPECT_LE((box_geometry.center() - main.geometry().center()).manhattanLength(), 40)
      << box_geometry.center().x() << "," << box_geometry.center().y();
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
  // The sizes a shop prints receipts on.
  QStringList papers;
  for (QComboBox* box : dialog.findChildren<QComboBox*>())
    for (int i = 0; i < box->count(); ++i) papers << box->itemText(i);
  for (const char* paper : {"A4", "A5", "80毫米小票纸"})
    EXPECT_TRUE(papers.contains(paper)) << paper;
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
