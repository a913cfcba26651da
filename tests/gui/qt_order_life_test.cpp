// Orders through their whole life in the real windows, offscreen, as the
// shop assistant handles them: taken on the order form, arrived, picked up
// with the balance collected, sent for after-sales service, back and
// collected; a second order cancelled from the query list with a refund;
// then the date query and the fund statistics. Real message boxes are
// answered by clicking their buttons or pressing Enter, the pop-up menu by
// clicking its items. Afterwards the ledger on disk holds exactly the
// expected life of each order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <sstream>

#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "tests/support/qt_desk.h"
#include "tools/ldgtool/ldgtool.h"

namespace {

using desk::layout::kCancellationWindow;
using desk::layout::kRestoreWindow;
using testing_support::ModalAnswerer;
using testing_support::QtDesk;
using testing_support::SavePictureIfAsked;

constexpr int kQueryPage = 1, kArrivalPage = 2, kPickupPage = 3, kAfterSalesPage = 4,
              kCustomerPage = 6, kFundPage = 7;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// One ledger record as `ldgtool dump` shows it: the serial, then every field.
using DumpLine = std::vector<std::string>;

std::vector<DumpLine> DumpLedger(const testing_support::TempDir& folder) {
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(ldgtool::RunLdgTool({"dump", folder.File("流水账.ldg"), "--password", "qkd3094716"}, in,
                                out, err),
            0)
      << err.str();
  std::vector<DumpLine> records;
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);  // the field names
  while (std::getline(lines, line)) {
    DumpLine fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    records.push_back(fields);
  }
  return records;
}

// Fields 11 to 22 of a dumped record.
DumpLine LaterFields(const DumpLine& record) {
  if (record.size() != 23) return {};
  return DumpLine(record.begin() + 11, record.end());
}

// The windows' dialogs, noting whether a progress window (the day's backup
// at the first start) opened over the painted main window.
class WatchedDialogs : public platform::QtDialogs {
 public:
  std::unique_ptr<platform::ProgressWindow> OpenProgress(std::string_view caption,
                                                         std::string_view text) override {
    ++progress_windows;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<QMainWindow*>(window) && window->isVisible()) over_main_window = true;
    return QtDialogs::OpenProgress(caption, text);
  }
  int progress_windows = 0;
  bool over_main_window = false;
};

class QtOrderLife : public ::testing::Test {
 protected:
  QtOrderLife() : services_({&clock_, &clipboard_, &dialogs_}) {}

  void At(int month, int day, int hour) { clock_.Set({2026, month, day, hour, 0, 0}); }
  QString Text(const char* box) {
    auto& edit = dynamic_cast<forms::EditBox&>(desk_.Unit(box));
    return QString::fromStdString(platform::GbkToUtf8(edit.content()));
  }
  QTableView* List(const char* name) { return desk_.Widget<QTableView>(name); }
  QString Cell(const char* list, int row, int column) {
    return List(list)->model()->index(row, column).data().toString();
  }
  bool Ticked(const char* list, int row) {
    return List(list)->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  void PickDate(const char* picker, int year, int month, int day) {
    desk_.Widget<QDateEdit>(picker)->setDate(QDate(year, month, day));
  }
  void TakeOrder(const char* number, const char* customer, const char* contact,
                 const char* marketplace_number, const char* goods, const char* price,
                 const char* fee, const char* paid, const char* link) {
    desk_.Type("代购单号_编辑框", number);
    // Tab goes on to the customer's name, then to the contact.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), desk_.Widget("客户姓名"));
    testing_support::TypeIntoFocus(Q(customer));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), desk_.Widget("联系方法"));
    testing_support::TypeIntoFocus(Q(contact));
    desk_.Type("淘宝单号", marketplace_number);
    desk_.Type("商品名称", goods);
    desk_.Type("商品单价", price);
    desk_.Type("手续费", fee);
    desk_.Type("实收款", paid);
    desk_.Type("商品链接", link);
    // Taking a deposit, and adding for good.
    answers_.AnswerBox(QMessageBox::Yes);
    answers_.AnswerBox(QMessageBox::Yes);
    ASSERT_TRUE(desk_.Click("添加"));
    EXPECT_EQ(answers_.TakeBoxTexts(),
              QStringList({Q("实收款小于应收款，是否收取订金？"), Q("添加后不可修改！")}));
    ASSERT_TRUE(desk_.Click("保存报表"));
    EXPECT_EQ(answers_.TakeBoxTexts(), QStringList());
  }

  platform::FixedClock clock_;
  platform::QtClipboard clipboard_;
  WatchedDialogs dialogs_;
  platform::ScopedServices services_;
  ModalAnswerer answers_;
  QtDesk desk_;
};

TEST_F(QtOrderLife, AnOrderLivesItsWholeLifeAndAnotherIsCancelled) {
  At(12, 1, 9);
  TakeOrder("L001", "张三", "13800000001", "TB900", "毛衣", "100", "5", "30",
            "http://shop.example/900");
  ASSERT_TRUE(desk_.Click("新订单"));
  At(12, 1, 10);
  TakeOrder("L002", "王五", "13800000003", "TB901", "围巾", "80", "0", "50",
            "http://shop.example/901");

  // Arrival: both listed; the first ticked with a click on its check box,
  // 反选 twice gives the same ticks back.
  desk_.ShowPage(kArrivalPage);
  ASSERT_TRUE(desk_.Click("到货查找"));
  ASSERT_EQ(List("到货超级列表框")->model()->rowCount(), 2);
  EXPECT_EQ(Cell("到货超级列表框", 0, 1), "L001");
  EXPECT_EQ(Cell("到货超级列表框", 1, 2), Q("围巾"));
  desk_.TickRow("到货超级列表框", 0);
  EXPECT_TRUE(Ticked("到货超级列表框", 0));
  EXPECT_FALSE(Ticked("到货超级列表框", 1));
  ASSERT_TRUE(desk_.Click("反选"));
  EXPECT_FALSE(Ticked("到货超级列表框", 0));
  ASSERT_TRUE(desk_.Click("反选"));
  EXPECT_TRUE(Ticked("到货超级列表框", 0));
  EXPECT_FALSE(Ticked("到货超级列表框", 1));
  EXPECT_TRUE(SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_ARRIVAL_PAGE_PNG"));
  At(12, 3, 10);
  ASSERT_TRUE(desk_.Click("批量确认到货"));
  ASSERT_EQ(List("到货超级列表框")->model()->rowCount(), 1);
  EXPECT_EQ(Cell("到货超级列表框", 0, 1), "L002");

  // Pickup: the balance is the goods total and the fee less the deposit.
  desk_.ShowPage(kPickupPage);
  ASSERT_TRUE(desk_.Click("提货查找"));
  ASSERT_EQ(List("提货超级列表框")->model()->rowCount(), 1);
  desk_.TickRow("提货超级列表框", 0);
  EXPECT_TRUE(Ticked("提货超级列表框", 0));
  desk_.Type("提货人姓名", "张三");
  EXPECT_TRUE(SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_PICKUP_PAGE_PNG"));
  At(12, 4, 11);
  answers_.AnswerBox(QMessageBox::Yes);
  ASSERT_TRUE(desk_.Click("提货"));
  EXPECT_EQ(answers_.TakeBoxTexts(),
            QStringList({Q("请收取余款75元"), Q("提货成功！"), Q("无未提货的订单信息！！")}));
  EXPECT_EQ(Text("提货人姓名"), "");
  EXPECT_EQ(List("提货超级列表框")->model()->rowCount(), 0);

  // After-sales: sent with a description, back, collected.
  desk_.ShowPage(kAfterSalesPage);
  desk_.Type("售后购订单号", "L001");
  ASSERT_TRUE(desk_.Click("售后编号查询"));
  ASSERT_EQ(List("售后超级列表框")->model()->rowCount(), 1);
  EXPECT_EQ(Cell("售后超级列表框", 0, 9), Q("——"));
  desk_.TickRow("售后超级列表框", 0);
  desk_.Type("售后情况", "袖口开线");
  At(12, 5, 12);
  ASSERT_TRUE(desk_.Click("提交说明"));
  EXPECT_EQ(desk_.Widget<QPlainTextEdit>("售后情况")->toPlainText(), "");
  EXPECT_EQ(Cell("售后超级列表框", 0, 8), Q("已发售后"));
  desk_.TickRow("售后超级列表框", 0);
  At(12, 8, 13);
  ASSERT_TRUE(desk_.Click("售后到货按钮"));
  EXPECT_EQ(Cell("售后超级列表框", 0, 8), Q("售后到货未提"));
  desk_.Type("售后提货人", "李四");
  desk_.TickRow("售后超级列表框", 0);
  At(12, 9, 14);
  ASSERT_TRUE(desk_.Click("售后提货"));
  EXPECT_EQ(Cell("售后超级列表框", 0, 8), Q("售后提货，提货人是李四"));
  EXPECT_EQ(Cell("售后超级列表框", 0, 11), Q("2026年12月9日14时"));
  EXPECT_EQ(answers_.TakeBoxTexts(), QStringList());

  // The query list's pop-up menu: copy the order number, then cancel.
  desk_.ShowPage(kQueryPage);
  desk_.Type("查询购订单号", "L002");
  ASSERT_TRUE(desk_.Click("订单编号查询"));
  ASSERT_EQ(List("查询超级列表框1")->model()->rowCount(), 1);
  answers_.ChooseFromMenu("复制订单号");
  desk_.RightClickRow("查询超级列表框1", 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(answers_.menus().size(), 1u);
  EXPECT_EQ(answers_.menus()[0], QStringList({Q("复制订单号"), Q("复制淘宝号"), Q("查看商品链接"),
                                              Q("删除订单"), Q("导出到Excel")}));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "L002");

  answers_.ChooseFromMenu("删除订单");
  answers_.AnswerBox(QMessageBox::Yes);
  desk_.RightClickRow("查询超级列表框1", 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(answers_.TakeBoxTexts(), QStringList({Q("你确认删除选中订单的信息吗？")}));
  ASSERT_NE(desk_.forms().FindWindow(kCancellationWindow), nullptr);
  EXPECT_EQ(desk_.Widget<QLabel>("订单标签", kCancellationWindow)->text(), "L002");
  EXPECT_EQ(desk_.Widget<QLabel>("订金标签", kCancellationWindow)->text(), "50");
  desk_.Type("编辑框1", "不要了", kCancellationWindow);
  desk_.Type("编辑框2", "50", kCancellationWindow);
  At(12, 2, 15);
  answers_.AnswerBox(QMessageBox::Yes);
  ASSERT_TRUE(desk_.Click("按钮2", kCancellationWindow));
  EXPECT_EQ(answers_.TakeBoxTexts(), QStringList({Q("确认悔单？\n已收订金50元，现退款：50元")}));
  EXPECT_EQ(desk_.forms().FindWindow(kCancellationWindow), nullptr);
  // The same query again, with the order's new state and no 删除订单.
  ASSERT_EQ(List("查询超级列表框1")->model()->rowCount(), 1);
  EXPECT_EQ(Cell("查询超级列表框1", 0, 8), Q("悔单"));
  EXPECT_EQ(Cell("查询超级列表框1", 0, 11), Q("退款50"));
  desk_.RightClickRow("查询超级列表框1", 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(answers_.menus().size(), 3u);
  EXPECT_EQ(answers_.menus()[2],
            QStringList({Q("复制订单号"), Q("复制淘宝号"), Q("查看商品链接"), Q("导出到Excel")}));

  // The date query over the first of December: both orders and the totals.
  PickDate("开始日期框", 2026, 12, 1);
  PickDate("结束日期框", 2026, 12, 1);
  ASSERT_TRUE(desk_.Click("按日期查询"));
  ASSERT_EQ(List("查询超级列表框1")->model()->rowCount(), 4);
  EXPECT_EQ(Cell("查询超级列表框1", 3, 0), Q("合计"));
  EXPECT_EQ(Cell("查询超级列表框1", 3, 3), "2");
  EXPECT_EQ(Cell("查询超级列表框1", 3, 5), "180");
  EXPECT_EQ(Cell("查询超级列表框1", 3, 7), "5");
  EXPECT_EQ(Cell("查询超级列表框1", 3, 9), "30");
  EXPECT_EQ(Cell("查询超级列表框1", 3, 11), "50");
  // The assistant scrolls the list to the status, time and collector
  // columns, where the cancellation and the totals show.
  QTableView* query = List("查询超级列表框1");
  query->horizontalScrollBar()->setValue(query->horizontalHeader()->sectionPosition(3));
  EXPECT_TRUE(SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_QUERY_PAGE_PNG"));

  // The fund statistics over the first nine days of December.
  desk_.ShowPage(kFundPage);
  PickDate("资金开始日期框", 2026, 12, 1);
  PickDate("资金结束日期框", 2026, 12, 9);
  ASSERT_TRUE(desk_.Click("资金查询"));
  EXPECT_EQ(List("订金查询超级列表框")->model()->rowCount(), 2);
  EXPECT_EQ(List("提货余款查询超级列表框")->model()->rowCount(), 1);
  EXPECT_TRUE(Text("订金统计").startsWith(Q("定金合计：80元")));
  EXPECT_TRUE(Text("余款统计").startsWith(Q("提货付余款合计：75元")));
  EXPECT_TRUE(Text("退款统计").startsWith(Q("退款合计：50元")));
  EXPECT_TRUE(Text("现金统计").startsWith(Q("现金合计：105元")));
  EXPECT_TRUE(SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_FUND_PAGE_PNG"));
  EXPECT_EQ(answers_.TakeBoxTexts(), QStringList());

  // The ledger on disk: fields 11 to 22 of each order.
  std::vector<DumpLine> ledger = DumpLedger(desk_.folder());
  ASSERT_EQ(ledger.size(), 2u);
  EXPECT_EQ(LaterFields(ledger[0]),
            DumpLine({"2026-12-01 09:00:00", "2026-12-03 10:00:00", "2026-12-04 11:00:00", "张三",
                      "2026-12-05 12:00:00", "袖口开线", "2026-12-09 14:00:00",
                      "售后提货，提货人是李四", "0", "http://shop.example/900", "75", "0"}));
  EXPECT_EQ(LaterFields(ledger[1]),
            DumpLine({"2026-12-01 10:00:00", "2026-12-02 15:00:00", "1899-12-30 00:00:00", "退款50",
                      "1899-12-30 00:00:00", "不要了", "1899-12-30 00:00:00", "悔单", "0",
                      "http://shop.example/901", "0", "50"}));
}

// Typing past a box's length stops at the last whole character that fits:
// the box shows what the customer book then keeps.
// A backup from the menu bar, a later order, then the backup restored from
// its window: the ledger is the backup's again and the rows shown before the
// restore, which named records of the replaced files, are gone.
TEST_F(QtOrderLife, ABackupFromTheMenuIsRestoredFromItsWindow) {
  // The desk's first start made the day's backup under its main window,
  // which a ledger of years keeps busy for seconds.
  EXPECT_EQ(dialogs_.progress_windows, 1);
  EXPECT_TRUE(dialogs_.over_main_window);
  At(12, 1, 9);
  TakeOrder("L001", "张三", "13800000001", "TB900", "毛衣", "100", "5", "30",
            "http://shop.example/900");
  At(12, 1, 10);
  QAction* back_up = nullptr;
  for (QAction* action : desk_.MainWindow()->findChildren<QAction*>())
    if (action->text() == Q("备份数据")) back_up = action;
  ASSERT_NE(back_up, nullptr);
  answers_.AnswerBox(QMessageBox::Ok);
  back_up->trigger();
  const QStringList told = answers_.TakeBoxTexts();
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(told[0].startsWith(Q("备份完成"))) << told[0].toStdString();
  EXPECT_TRUE(told[0].contains(Q("订单 1 个"))) << told[0].toStdString();

  ASSERT_TRUE(desk_.Click("新订单"));
  At(12, 1, 11);
  TakeOrder("L002", "王五", "13800000003", "TB901", "围巾", "80", "0", "50",
            "http://shop.example/901");
  ASSERT_EQ(DumpLedger(desk_.folder()).size(), 2u);

  ASSERT_TRUE(desk_.forms().LoadWindow(kRestoreWindow, desk::layout::kMainWindow, false));
  auto* backups = desk_.Widget<QTableView>("备份列表", kRestoreWindow);
  QCoreApplication::processEvents();
  ASSERT_GE(backups->model()->rowCount(), 1);
  EXPECT_EQ(backups->model()->index(0, 0).data().toString(), Q("2026-12-01 10:00:00"));
  EXPECT_EQ(backups->model()->index(0, 1).data().toString(), Q("1"));
  const QPoint first_row = backups->visualRect(backups->model()->index(0, 0)).center();
  QTest::mouseClick(backups->viewport(), Qt::LeftButton, {}, first_row);
  EXPECT_TRUE(SavePictureIfAsked(backups->window(), "ORDERDESK_RESTORE_WINDOW_PNG"));
  answers_.AnswerBox(QMessageBox::Yes);
  answers_.AnswerBox(QMessageBox::Ok);
  ASSERT_TRUE(desk_.Click("恢复所选备份", kRestoreWindow));
  const QStringList restored = answers_.TakeBoxTexts();
  ASSERT_EQ(restored.size(), 2);
  EXPECT_TRUE(restored[1].startsWith(Q("数据已恢复为 2026-12-01 10:00:00 的备份")))
      << restored[1].toStdString();
  EXPECT_EQ(desk_.forms().FindWindow(kRestoreWindow), nullptr);
  const std::vector<DumpLine> ledger = DumpLedger(desk_.folder());
  ASSERT_EQ(ledger.size(), 1u);
  EXPECT_EQ(ledger[0][1], "L001");
}

TEST_F(QtOrderLife, TypingPastABoxsLengthKeepsWholeCharacters) {
  desk_.ShowPage(kCustomerPage);
  const QString name = "A" + QString(21, QChar(0x8d75));     // 赵
  const QString remark = "A" + QString(101, QChar(0x5907));  // 备
  desk_.Type("客户管理姓名编辑框", name.toUtf8().constData());
  desk_.Type("客户管理联系编辑框", "13900000000");
  desk_.Type("备注", remark.toUtf8().constData());
  EXPECT_EQ(desk_.Widget<QLineEdit>("客户管理姓名编辑框")->text(), name.left(20));
  EXPECT_EQ(Text("客户管理姓名编辑框"), name.left(20));
  EXPECT_EQ(desk_.Widget<QPlainTextEdit>("备注")->toPlainText(), remark.left(100));
  answers_.AnswerBox(QMessageBox::Yes);
  ASSERT_TRUE(desk_.Click("添加客户"));
  EXPECT_EQ(answers_.TakeBoxTexts(), QStringList({Q("确认添加客户信息？")}));
  ASSERT_EQ(List("客户超级列表框")->model()->rowCount(), 1);
  EXPECT_EQ(Cell("客户超级列表框", 0, 0), name.left(20));
  EXPECT_EQ(Cell("客户超级列表框", 0, 4), remark.left(100));
}

}  // namespace
