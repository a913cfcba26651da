// The preview window "打印预览": one page of a table at a time as it will
// print, with page navigation, the go-to-page dialog, the print settings and
// printing.
#pragma once

#include <QDialog>
#include <functional>

#include "report/pagination.h"
#include "report/table.h"

class QLabel;
class QPushButton;

namespace gui {

class PreviewPage;

class PreviewWindow : public QDialog {
  Q_OBJECT

 public:
  // Prints the table as GridPrint does, with the progress window; returns
  // "" or the failure text.
  using PrintAction = std::function<report::Text()>;

  // Saves the table as a PDF file (保存为PDF) or as a spreadsheet
  // (保存为Excel), asking for its name.
  using SaveAction = std::function<void()>;

  // Shows `table`, which must outlive the window (the window belongs to the
  // window that shows the table). It opens within the screen, centred over
  // `parent`.
  PreviewWindow(report::Table& table, PrintAction print, SaveAction save, SaveAction save_sheet,
                QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // Paginates again, e.g. after the table or its settings changed; stays on
  // the same page where it still exists.
  void Refresh();

  int page_count() const { return static_cast<int>(pagination_.pages.size()); }
  int current_page() const { return current_; }  // 0-based
  // Goes to the page at `index` (0-based), kept within the pages.
  void ShowPage(int index);
  // Goes to the page that prints `number`, or the first after it; false when
  // no page does.
  bool GoToNumber(int number);
  // The status text, "%d / %d".
  QString status() const;

  // Asks for a page number and goes there.
  void AskPageNumber();
  // Opens the print-settings window for the table.
  void EditSettings();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void UpdateControls();
  // Sizes the window to fit the screen and centres it over its parent.
  void PlaceOnScreen();

  report::Table& table_;
  PrintAction print_;
  SaveAction save_;
  SaveAction save_sheet_;
  report::PageSize paper_;
  report::Pagination pagination_;
  int current_ = 0;
  PreviewPage* page_;
  QLabel* status_;
  QPushButton* first_;
  QPushButton* previous_;
  QPushButton* next_;
  QPushButton* last_;
};

}  // namespace gui
