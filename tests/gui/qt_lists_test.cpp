// The main window made larger and the lists sorted in the real windows,
// offscreen: the lists and grids take the room, the window keeps its
// designed size as the least and its place in "配置.ini"; a click on a
// column header sorts the list, and ticks, menus and actions then act on the
// order of the row the assistant sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <sstream>

#include "gui/preview_grid_view.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/ini_file.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "runtime/date_time.h"
#include "store/record_store.h"
#include "tests/support/qt_desk.h"

namespace {

using platform::operator""_gbk;
using runtime::Value;
using testing_support::ModalAnswerer;
using testing_support::QtDesk;

constexpr int kQueryPage = 1, kArrivalPage = 2, kAfterSalesPage = 4;
// The client area of a window maximised on a 1366 × 768 screen.
constexpr int kMaximisedWidth = 1366, kMaximisedHeight = 705;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// An order placed on 1 December at `hour`:`minute`, not yet arrived unless
// `status` (UTF-8) says otherwise.
void AddOrder(const char* number, const char* marketplace, double total, int hour, int minute,
              const char* status = "没到货") {
  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  std::vector<Value> fields = {
      Value::OfText(number),
      Value::OfText(marketplace),
      Value::OfText("毛衣"_gbk),
      Value::Double(1),
      Value::Double(total),
      Value::Double(0),
      Value::Double(0),
      Value::OfText("张三"_gbk),
      Value::OfText("13800000001"),
      Value::OfText(""),
      Value::DateTime(runtime::MakeDateTime({2026, 12, 1, hour, minute, 0})),
      {},
      {},
      {},
      {},
      {},
      {},
      Value::OfText(platform::Utf8ToGbk(status)),
      {},
      Value::OfText("http://shop.example/1")};
  ASSERT_TRUE(store::AppendRecord(fields));
}

class QtLists : public ::testing::Test {
 protected:
  QtLists() : services_({nullptr, &clipboard_, &dialogs_}) {}

  QTableView* List(const char* name) { return desk_.Widget<QTableView>(name); }
  QString Cell(const char* list, int row, int column) {
    return List(list)->model()->index(row, column).data().toString();
  }
  QStringList Column(const char* list, int column) {
    QStringList cells;
    for (int row = 0; row < List(list)->model()->rowCount(); ++row)
      cells << Cell(list, row, column);
    return cells;
  }
  // A click on the header of `column`, as the assistant clicks it.
  void ClickHeader(const char* list, int column) {
    QHeaderView* header = List(list)->horizontalHeader();
    QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
              header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
  }
  void Resize(int width, int height) {
    desk_.MainWindow()->resize(width, height);
    QCoreApplication::processEvents();
  }
  // Whether the list shows the whole of column `column` beside its first.
  bool ShowsWhole(const char* list, int column) {
    QHeaderView* header = List(list)->horizontalHeader();
    return header->sectionViewportPosition(0) == 0 &&
           header->sectionViewportPosition(column) + header->sectionSize(column) <=
               List(list)->viewport()->width();
  }

  platform::QtClipboard clipboard_;
  platform::QtDialogs dialogs_;
  platform::ScopedServices services_;
  ModalAnswerer answers_;
  QtDesk desk_;
};

TEST_F(QtLists, ListsAndGridsTakeTheRoomOfALargerWindowButNeverLess) {
  QWidget* main = desk_.MainWindow();
  const QSize designed = main->size();
  const QSize list = List("查询超级列表框1")->size();
  const QRect note = desk_.Widget("标签21")->geometry();
  const QRect date_group = desk_.Widget("分组框2")->geometry();
  const QSize customers = List("客户超级列表框")->size();
  const QRect customer_group = desk_.Widget("分组框4")->geometry();
  const QSize deposits = List("订金查询超级列表框")->size();
  const QSize balances = List("提货余款查询超级列表框")->size();

  Resize(kMaximisedWidth, kMaximisedHeight);
  const int wider = main->width() - designed.width(), taller = main->height() - designed.height();
  ASSERT_GT(wider, 500);
  ASSERT_GT(taller, 80);
  EXPECT_EQ(List("查询超级列表框1")->size(), list + QSize(wider, taller));
  // What lies below the list moves down with it; what lies above stays.
  EXPECT_EQ(desk_.Widget("标签21")->geometry(), note.translated(0, taller));
  EXPECT_EQ(desk_.Widget("分组框2")->geometry(), date_group);
  // The customer boxes right of the customer list move right with its edge.
  EXPECT_EQ(List("客户超级列表框")->size(), customers + QSize(wider, taller));
  EXPECT_EQ(desk_.Widget("分组框4")->geometry(), customer_group.translated(wider, 0));
  // The fund page's two lists, one above the other, share the height.
  EXPECT_EQ(List("订金查询超级列表框")->size(), deposits + QSize(wider, taller / 2));
  EXPECT_EQ(List("提货余款查询超级列表框")->size(), balances + QSize(wider, taller / 2));

  // The status column shows beside the check boxes (the query and after-sales lists).
  desk_.ShowPage(kQueryPage);
  EXPECT_TRUE(ShowsWhole("查询超级列表框1", 8));
  desk_.ShowPage(kAfterSalesPage);
  EXPECT_TRUE(ShowsWhole("售后超级列表框", 8));

  Resize(300, 200);
  EXPECT_EQ(main->size(), designed) << "never smaller than designed";
  EXPECT_EQ(List("查询超级列表框1")->size(), list);
}

TEST_F(QtLists, ColumnsHoldWhatTheyShowWhole) {
  struct Case {
    const char* list;
    int column;
    const char* text;
  };
  // Room for the text beside the cell's margins, and the check box in the
  // first column of a list that has them.
  for (Case c : {Case{"到货超级列表框", 0, "2026120112345678"},
                 {"查询超级列表框1", 0, "2026120112345678"},
                 {"查询超级列表框1", 5, "2026年12月31日23时59分59秒"},
                 {"查询超级列表框1", 8, "售后提货，提货人是欧阳小明"},
                 {"查询超级列表框1", 9, "悔单时间：2026年12月31日23时59分59秒"},
                 {"售后超级列表框", 9, "2026年12月31日23时59分59秒"},
                 {"客户超级列表框", 2, "11010519491231002X"}}) {
    QTableView* list = List(c.list);
    const int check_box = c.column == 0 && c.list != std::string_view("查询超级列表框1") ? 20 : 0;
    EXPECT_LE(QFontMetrics(list->font()).horizontalAdvance(Q(c.text)) + 8 + check_box,
              list->horizontalHeader()->sectionSize(c.column))
        << c.list << " " << c.text;
  }
}

TEST_F(QtLists, ThePlaceAndSizeAreKeptInTheSettingsFileForTheNextStart) {
  const QSize designed = desk_.MainWindow()->size();
  {
    std::ofstream ini(desk_.folder().File("配置.ini"), std::ios::binary);
    ini << "[店名]\r\n店名=小王代购\r\n"_gbk;
  }
  desk_.MainWindow()->setGeometry(70, 60, 1000, 700);
  QCoreApplication::processEvents();
  desk_.forms().CloseAll();
  const std::string ini = ReadFile(desk_.folder().File("配置.ini"));
  // The shop's own settings are left as they were.
  EXPECT_EQ(ini.substr(0, ini.find('[', 1)), "[店名]\r\n店名=小王代购\r\n"_gbk);
  for (auto [key, value] :
       {std::pair{"左", "70"}, {"上", "60"}, {"宽", "1000"}, {"高", "700"}, {"最大化", "0"}})
    EXPECT_EQ(platform::ini::Find(ini, "主窗口"_gbk, platform::Utf8ToGbk(key)), value) << key;

  // Started again, the window opens there; a size below the designed one
  // is raised to it.
  auto with_settings = [](std::string text) {
    return [text](const testing_support::TempDir& folder) {
      std::ofstream(folder.File("配置.ini"), std::ios::binary) << text;
    };
  };
  {
    QtDesk again(with_settings(ini));
    EXPECT_EQ(again.MainWindow()->geometry(), QRect(70, 60, 1000, 700));
    EXPECT_EQ(again.MainWindow()->windowTitle(), Q("小王代购"));
  }
  {
    QtDesk small(with_settings("[主窗口]\r\n左=10\r\n上=20\r\n宽=100\r\n高=100\r\n"_gbk));
    EXPECT_EQ(small.MainWindow()->geometry().topLeft(), QPoint(10, 20));
    EXPECT_EQ(small.MainWindow()->size(), designed);
  }
}

TEST_F(QtLists, AHeaderClickSortsAndTheActionsFollowTheRowsShown) {
  // Prices that sort differently as texts, times that do too ("10时" < "9时").
  AddOrder("S001", "TB9", 9, 9, 0);
  AddOrder("S002", "TB10", 100, 8, 0);
  AddOrder("S003", "TB8", 20.5, 10, 30);
  AddOrder("S004", "2026120112345678", 35, 7, 5, "售后提货，提货人是欧阳小明");
  desk_.ShowPage(kArrivalPage);
  ASSERT_TRUE(desk_.Click("到货查找"));
  const char* list = "到货超级列表框";
  ASSERT_EQ(Column(list, 1), QStringList({Q("S001"), Q("S002"), Q("S003")}));

  ClickHeader(list, 4);
  EXPECT_EQ(Column(list, 4), QStringList({Q("9"), Q("20.5"), Q("100")}));
  ClickHeader(list, 4);
  EXPECT_EQ(Column(list, 4), QStringList({Q("100"), Q("20.5"), Q("9")}));
  QHeaderView* header = List(list)->horizontalHeader();
  EXPECT_EQ(header->sortIndicatorSection(), 4);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  const QSize designed = desk_.MainWindow()->size();
  Resize(kMaximisedWidth, kMaximisedHeight);
  EXPECT_TRUE(testing_support::SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_SORTED_LIST_PNG"));
  Resize(designed.width(), designed.height());

  // A width the assistant sets stays through the next fill.
  header->resizeSection(2, 333);

  // The tick on the first row shown confirms that order, and only it.
  desk_.TickRow(list, 0);
  ASSERT_TRUE(desk_.Click("批量确认到货"));
  EXPECT_EQ(Column(list, 1), QStringList({Q("S003"), Q("S001")})) << "still sorted";
  EXPECT_EQ(header->sectionSize(2), 333);
  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  for (auto [record, status] : {std::pair{1, "没到货"}, {2, "已到货"}, {3, "没到货"}}) {
    store::GoTo(record);
    EXPECT_EQ(store::ReadField(18).AsText(), platform::Utf8ToGbk(status)) << record;
  }

  // On the query page: the order times in time order, the totals rows
  // staying at the bottom, and the menu copying the order shown.
  desk_.ShowPage(kQueryPage);
  desk_.Widget<QDateEdit>("开始日期框")->setDate(QDate(2026, 12, 1));
  desk_.Widget<QDateEdit>("结束日期框")->setDate(QDate(2026, 12, 1));
  ASSERT_TRUE(desk_.Click("按日期查询"));
  const char* query = "查询超级列表框1";
  ClickHeader(query, 5);
  EXPECT_EQ(Column(query, 1),
            QStringList({Q("S004"), Q("S002"), Q("S001"), Q("S003"), Q(""), Q("")}));
  EXPECT_EQ(Cell(query, 5, 0), Q("合计"));
  answers_.ChooseFromMenu("复制订单号");
  desk_.RightClickRow(query, 3);
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::clipboard()->text(), Q("S003"));

  // Maximised, the query list shows the status column whole.
  Resize(kMaximisedWidth, kMaximisedHeight);
  EXPECT_TRUE(ShowsWhole(query, 8));
  EXPECT_TRUE(
      testing_support::SavePictureIfAsked(desk_.MainWindow(), "ORDERDESK_MAXIMISED_QUERY_PNG"));
}

TEST_F(QtLists, TheReceiptGridShowsATwoItemReceiptWholeAndANewOneFromItsTop) {
  desk_.Type("代购单号_编辑框", "A001");
  desk_.Type("客户姓名", "张三");
  desk_.Type("联系方法", "13800000000");
  for (const char* goods : {"毛衣", "围巾"}) {
    desk_.Type("淘宝单号", "T1");
    desk_.Type("商品名称", goods);
    desk_.Type("商品单价", "30");
    desk_.Type("商品数量", "1");
    desk_.Type("商品链接", "http://item.example/1");
    desk_.Type("实收款", "30");
    answers_.AnswerBox(QMessageBox::Yes);
    ASSERT_TRUE(desk_.Click("添加"));
  }
  auto* grid = desk_.Widget<gui::GridView>("表格1");
  EXPECT_EQ(grid->verticalScrollBar()->maximum(), 0) << "the whole receipt shows";
  EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
  EXPECT_GE(grid->zoom(), gui::GridView::kLeastZoom);

  // A longer receipt scrolls by rows; the next order starts at its top.
  for (int item = 0; item < 6; ++item) {
    desk_.Type("淘宝单号", "T2");
    desk_.Type("商品名称", "手套");
    desk_.Type("商品单价", "10");
    desk_.Type("商品数量", "1");
    desk_.Type("商品链接", "http://item.example/2");
    desk_.Type("实收款", "10");
    answers_.AnswerBox(QMessageBox::Yes);
    ASSERT_TRUE(desk_.Click("添加"));
  }
  ASSERT_GT(grid->verticalScrollBar()->maximum(), 0);
  grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(grid->TopRow(), 1) << "one row down";
  grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
  ASSERT_TRUE(desk_.Click("保存报表"));
  ASSERT_TRUE(desk_.Click("新订单"));
  EXPECT_EQ(grid->TopRow(), 0);
}

}  // namespace
