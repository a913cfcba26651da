// 导出到Excel in the real windows, offscreen: a right click on a sorted
// list, the item chosen from the pop-up menu, and the file holding the rows
// in the order the list shows them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>

#include "platform/gbk.h"
#include "platform/headless/headless.h"
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

constexpr int kArrivalPage = 2;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// The real dialogs, but the file dialog answered with a queued name.
class SavingDialogs : public platform::QtDialogs {
 public:
  std::optional<std::string> AskSaveFileName(std::string_view caption,
                                             std::string_view proposed_path,
                                             std::string_view filter) override {
    asked.push_back({std::string(caption), std::string(proposed_path), std::string(filter)});
    if (names.empty()) return std::nullopt;
    std::string name = names.front();
    names.pop_front();
    return name;
  }
  struct Asked {
    std::string caption, proposed, filter;
  };
  std::deque<std::string> names;  // GBK
  std::vector<Asked> asked;
};

// Pictures the main window with a pop-up menu over it at `at` (the
// offscreen screen has no mouse pointer to open it at) as it opens, when
// the environment variable `variable` names a file for it.
class MenuPicture : public QObject {
 public:
  MenuPicture(QWidget* window, QPoint at, const char* variable)
      : window_(window), at_(at), file_(std::getenv(variable)) {
    if (file_ != nullptr) QApplication::instance()->installEventFilter(this);
  }
  bool saved = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu == nullptr || event->type() != QEvent::Show) return false;
    // Queued ahead of the answerer's choice, so the menu is still open.
    QMetaObject::invokeMethod(
        menu,
        [this, menu] {
          QPixmap picture = window_->grab();
          QPainter painter(&picture);
          painter.drawPixmap(at_, menu->grab());
          painter.end();
          saved = picture.save(QString::fromLocal8Bit(file_), "PNG");
        },
        Qt::QueuedConnection);
    return false;
  }

 private:
  QWidget* window_;
  QPoint at_;
  const char* file_;
};

void AddOrder(const char* number, const char* marketplace, double total, int hour) {
  ASSERT_TRUE(store::SelectDatabase("流水账"_gbk));
  std::vector<Value> fields = {Value::OfText(number),
                               Value::OfText(marketplace),
                               Value::OfText("毛衣,厚"_gbk),
                               Value::Double(1),
                               Value::Double(total),
                               Value::Double(0),
                               Value::Double(0),
                               Value::OfText("张三"_gbk),
                               Value::OfText("13800000001"),
                               Value::OfText(""),
                               Value::DateTime(runtime::MakeDateTime({2026, 12, 1, hour, 0, 0})),
                               {},
                               {},
                               {},
                               {},
                               {},
                               {},
                               Value::OfText("没到货"_gbk),
                               {},
                               Value::OfText("http://shop.example/1")};
  ASSERT_TRUE(store::AppendRecord(fields));
}

class QtExport : public ::testing::Test {
 protected:
  QtExport() : services_({&clock_, &clipboard_, &dialogs_}) {}

  platform::FixedClock clock_{{2026, 12, 1, 12, 0, 0}};
  platform::QtClipboard clipboard_;
  SavingDialogs dialogs_;
  platform::ScopedServices services_;
  ModalAnswerer answers_;
  QtDesk desk_;
};

TEST_F(QtExport, ThePopUpMenuWritesTheSortedListAndTheStatusLineSaysSo) {
  AddOrder("S001", "TB9", 9, 9);
  AddOrder("S002", "TB10", 100, 8);
  AddOrder("S003", "TB8", 20.5, 10);
  desk_.ShowPage(kArrivalPage);
  ASSERT_TRUE(desk_.Click("到货查找"));
  const char* list = "到货超级列表框";
  auto* view = desk_.Widget<QTableView>(list);
  // 商品总价 falling, by two clicks on its header.
  QHeaderView* header = view->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(4) + header->sectionSize(4) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  QCoreApplication::processEvents();

  const std::string path = desk_.folder().File("到货.csv");
  dialogs_.names.push_back(platform::Utf8ToGbk(path));
  const QPoint row = view->visualRect(view->model()->index(1, 1)).center();
  MenuPicture picture(desk_.MainWindow(),
                      view->viewport()->mapTo(desk_.MainWindow(), row) + QPoint(2, 2),
                      "ORDERDESK_EXPORT_MENU_PNG");
  answers_.ChooseFromMenu("导出到Excel");
  desk_.RightClickRow(list, 1);
  QCoreApplication::processEvents();

  ASSERT_EQ(answers_.menus().size(), 1u);
  EXPECT_EQ(answers_.menus()[0], QStringList({Q("导出到Excel")}));
  ASSERT_EQ(dialogs_.asked.size(), 1u);
  EXPECT_EQ(dialogs_.asked[0].proposed, "到货管理-"_gbk + "20261201.xlsx")
      << platform::GbkToUtf8(dialogs_.asked[0].proposed);
  EXPECT_NE(dialogs_.asked[0].filter.find("*.xlsx"), std::string::npos);
  EXPECT_NE(dialogs_.asked[0].filter.find("*.csv"), std::string::npos);

  std::ifstream in(testing_support::Utf8Path(path), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(),
            "\xEF\xBB\xBF"
            "商品淘宝单号,代购订单号,商品名称,数量,商品总价,下单时间,客户姓名,联系电话,商品流通\r\n"
            "TB10,S002,\"毛衣,厚\",1,100,2026年12月1日8时,张三,13800000001,没到货\r\n"
            "TB8,S003,\"毛衣,厚\",1,20.5,2026年12月1日10时,张三,13800000001,没到货\r\n"
            "TB9,S001,\"毛衣,厚\",1,9,2026年12月1日9时,张三,13800000001,没到货\r\n");
  auto* window = qobject_cast<QMainWindow*>(desk_.MainWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->statusBar()->currentMessage(),
            Q("已导出 3 行到 ") + QString::fromStdString(path));
  if (std::getenv("ORDERDESK_EXPORT_MENU_PNG") != nullptr) {
    EXPECT_TRUE(picture.saved);
  }
}

}  // namespace
