// One whole order in the real windows, offscreen, as a shop assistant takes
// it: typing into the boxes and clicking the buttons and the tab, two items,
// save, print to PDF, find on the report page and print again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "forms/units/edit_box.h"
#include "gui/print_service.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_text.h"
#include "report/bindings.h"
#include "store/record_store.h"
#include "tests/support/pdf_pages.h"
#include "tests/support/qt_desk.h"

namespace {

using platform::operator""_gbk;
using testing_support::PdfPages;

class QtOrder : public ::testing::Test {
 protected:
  QtOrder() : services_({nullptr, nullptr, &dialogs_}), printing_({nullptr, &print_service_}) {}

  forms::Unit& Unit(const char* name) { return desk_.Unit(name); }
  template <typename W>
  W* Widget(const char* name) {
    return desk_.Widget<W>(name);
  }
  void Type(const char* box, const char* text) { desk_.Type(box, text); }
  void Click(const char* button) { ASSERT_TRUE(desk_.Click(button)) << button; }
  void ShowPage(int page) { desk_.ShowPage(page); }
  // The next print of the table that `data_source` holds goes to a PDF file.
  std::string PrintToPdf(const char* data_source, const char* file) {
    report::Table* table =
        report::CurrentBindings().tables->DataSourceTable(Unit(data_source).AsValue());
    EXPECT_NE(table, nullptr);
    table->print.print_to_file = 1;
    table->print.output_file = platform::Utf8ToGbk(desk_.folder().File(file));
    return desk_.folder().File(file);
  }
  void EnterItem(const char* number, const char* goods, const char* price, const char* quantity,
                 const char* paid) {
    Type("淘宝单号", number);
    if (goods != nullptr) Type("商品名称", goods);
    Type("商品单价", price);
    Type("商品数量", quantity);
    Type("商品链接", "http://item.example/1");
    Type("实收款", paid);
    dialogs_.QueueAnswer(platform::BoxAnswer::kYes);
    Click("添加");
  }
  double ReportPrintCount() {
    EXPECT_TRUE(store::SelectDatabase("报表库"_gbk));
    EXPECT_TRUE(store::GoTo(1));
    return store::ReadField(3).NumericValue();
  }

  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  gui::QtPrintService print_service_;
  report::ScopedBindings printing_;
  testing_support::QtDesk desk_;
};

TEST_F(QtOrder, TwoItemsSavedPrintedFoundAndPrintedAgain) {
  EXPECT_EQ(desk_.MainWindow()->windowTitle(), QString::fromUtf8("代购店"));
  Type("代购单号_编辑框", "A001");
  Type("客户姓名", "张三");
  Type("联系方法", "13800000000");
  EnterItem("T1", "毛衣", "12.5", "2", "25");
  EnterItem("T2", "围巾", "30", "1", "30");
  EXPECT_TRUE(dialogs_.errors().empty());
  EXPECT_FALSE(Widget<QLineEdit>("客户姓名")->isEnabled());

  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  ASSERT_EQ(store::GetRecordCount(), 2);
  store::GoTo(2);
  EXPECT_EQ(store::ReadField(1).AsText(), "A001");
  EXPECT_EQ(store::ReadField(3).AsText(), "围巾"_gbk);
  EXPECT_EQ(store::ReadField(5).NumericValue(), 30);

  // The picture of the order page in the documentation.
  EXPECT_TRUE(testing_support::SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_ORDER_PAGE_PNG"));

  Click("保存报表");
  const std::string receipt_pdf = PrintToPdf("下单数据源", "receipt.pdf");
  Click("打印");
  EXPECT_EQ(PdfPages(receipt_pdf), 1);
  EXPECT_EQ(ReportPrintCount(), 1);

  ShowPage(5);
  Type("报表订单号", "A001");
  Click("订单编号查询3");
  EXPECT_EQ(Widget<QLabel>("打印次数")->text(), QString::fromUtf8("本报表已经打印过 1 次了！"));
  const std::string report_pdf = PrintToPdf("报表数据源", "report.pdf");
  Click("打印1");
  EXPECT_EQ(PdfPages(report_pdf), 1);
  EXPECT_EQ(ReportPrintCount(), 2);
  EXPECT_EQ(Widget<QLabel>("打印次数")->text(), QString::fromUtf8("本报表已经打印过 2 次了！"));
}

// Hostile text pasted into a real box: control characters, ten thousand
// characters, characters GBK does not have. The box shows what it holds,
// cut at its maximum length and at whole characters, and the ledger stores
// exactly that.
TEST_F(QtOrder, PastedHostileTextIsShownAndStoredAsTheBoxHoldsIt) {
  Type("代购单号_编辑框", "A002");
  Type("客户姓名", "张三");
  Type("联系方法", "13800000000");
  QString hostile = QString::fromUtf8("\x01\t前") + QString(10000, QChar(0x957F)) +
                    QString::fromUtf8("\xF0\x9F\x98\x80\xE2\x82\xAC") + QChar(0xFFFD);
  QGuiApplication::clipboard()->setText(hostile);
  auto* edit = Widget<QLineEdit>("商品名称");
  QTest::mouseClick(edit, Qt::LeftButton);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);

  const auto& box = dynamic_cast<const forms::EditBox&>(Unit("商品名称"));
  const std::string held = box.content();
  ASSERT_FALSE(held.empty());
  EXPECT_LE(held.size(), static_cast<std::size_t>(box.settings().max_length));
  EXPECT_EQ(platform::LeadingBytes(held, held.size()).size(), held.size());
  EXPECT_EQ(platform::FromQString(edit->text()), held);

  EnterItem("T3", nullptr, "10", "1", "10");
  EXPECT_TRUE(dialogs_.errors().empty());
  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  ASSERT_EQ(store::GetRecordCount(), 1);
  store::GoTo(1);
  EXPECT_EQ(store::ReadField(3).AsText(), held);
}

}  // namespace
