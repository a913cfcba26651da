// The window shown while a table prints: what is printing, a bar, and a
// button that stops the job before its next page.
#pragma once

#include <QDialog>

#include "report/printing.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace gui {

class QtPrintProgress : public QDialog, public report::PrintProgress {
  Q_OBJECT

 public:
  explicit QtPrintProgress(QWidget* parent = nullptr);

  // Shows the message and the bar, and lets the window take the user's
  // clicks before the next page prints.
  void Show(const report::Text& message, int percent) override;
  bool AbortRequested() override;

  QPushButton* abort_button() const { return abort_; }
  QString message() const;
  int percent() const;

 protected:
  // Closing the window asks to stop, as the button does.
  void reject() override;

 private:
  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* abort_;
  bool abort_requested_ = false;
};

}  // namespace gui
