#include "gui/print_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/gbk.h"

namespace gui {
namespace {

QString ToQt(const report::Text& gbk) {
  return QString::fromStdString(platform::GbkToUtf8(gbk, false));
}

}  // namespace

QtPrintProgress::QtPrintProgress(QWidget* parent)
    : QDialog(parent),
      label_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      abort_(new QPushButton(ToQt(report::print_text::AbortButton()), this)) {
  setWindowTitle(ToQt(report::print_text::ProgressTitle()));
  // Nothing else may be clicked while the pages go out: a second print
  // started from inside this one would interleave with it.
  setWindowModality(Qt::ApplicationModal);
  bar_->setRange(0, 100);
  label_->setMinimumWidth(360);
  abort_->setObjectName("abort");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  layout->addWidget(abort_, 0, Qt::AlignHCenter);
  connect(abort_, &QPushButton::clicked, this, [this] { abort_requested_ = true; });
}

void QtPrintProgress::Show(const report::Text& message, int percent) {
  label_->setText(ToQt(message));
  bar_->setValue(percent);
  if (!isVisible()) show();
  QCoreApplication::processEvents();
}

bool QtPrintProgress::AbortRequested() {
  QCoreApplication::processEvents();
  return abort_requested_;
}

QString QtPrintProgress::message() const { return label_->text(); }

int QtPrintProgress::percent() const { return bar_->value(); }

void QtPrintProgress::reject() { abort_requested_ = true; }

}  // namespace gui
