#include "gui/print_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/gbk.h"
#include "report/lengths.h"
#include "report/pagination.h"

namespace gui {
namespace {

QString ToQt(const std::string& gbk) {
  return QString::fromStdString(platform::GbkToUtf8(gbk, false));
}

// Scale choices of the window (button ids; a button group gives -1 a
// meaning of its own): fit, shrink when wider, a percentage.
constexpr int kPercent = 0, kFit = 1, kShrink = 2;

QSpinBox* Spin(int low, int high, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(low, high);
  return spin;
}

void SelectData(QComboBox* box, int value) {
  int index = box->findData(value);
  if (index < 0) {
    // A value the list does not name (read from a stored table) stays as it is.
    box->addItem(QString::number(value), value);
    index = box->count() - 1;
  }
  box->setCurrentIndex(index);
}

}  // namespace

PrintSettingsDialog::PrintSettingsDialog(const report::PrintSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("打印设置对话框"));
  auto* layout = new QVBoxLayout(this);

  auto* margins = new QGroupBox(QStringLiteral("页边距(单位:毫米)"), this);
  auto* margin_grid = new QGridLayout(margins);
  const QString margin_labels[] = {QStringLiteral("左:"), QStringLiteral("上:"),
                                   QStringLiteral("右:"), QStringLiteral("下:")};
  for (int i = 0; i < 4; ++i) {
    margins_[i] = new QLineEdit(margins);
    margins_[i]->setObjectName(QStringLiteral("margin%1").arg(i));
    margin_grid->addWidget(new QLabel(margin_labels[i], margins), i / 2, (i % 2) * 2);
    margin_grid->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
  }
  layout->addWidget(margins);

  auto* page = new QGridLayout;
  page_number_position_ = new QComboBox(this);
  const char* positions[] = {"不打印页号", "页底居中", "页底靠右", "页底靠左",
                             "页顶居中",   "页顶靠右", "页顶靠左"};
  for (int i = 0; i < 7; ++i) page_number_position_->addItem(QString::fromUtf8(positions[i]), i);
  page->addWidget(new QLabel(QStringLiteral("页号位置:"), this), 0, 0);
  page->addWidget(page_number_position_, 0, 1);

  paper_size_ = new QComboBox(this);
  // The sizes a shop prints receipts on come first.
  const std::pair<const char*, int> papers[] = {
      {"打印机默认", 0}, {"A4", 9},  {"A5", 11}, {"80毫米小票纸", report::kReceiptRollPaper},
      {"A3", 8},         {"B4", 12}, {"B5", 13}, {"Letter", 1},
      {"Legal", 5}};
  for (auto [name, code] : papers) paper_size_->addItem(QString::fromUtf8(name), code);
  page->addWidget(new QLabel(QStringLiteral("纸张:"), this), 1, 0);
  page->addWidget(paper_size_, 1, 1);
  orientation_ = new QComboBox(this);
  orientation_->addItem(QStringLiteral("纵向"), 1);
  orientation_->addItem(QStringLiteral("横向"), 2);
  page->addWidget(new QLabel(QStringLiteral("方向:"), this), 2, 0);
  page->addWidget(orientation_, 2, 1);
  layout->addLayout(page);

  auto* scale = new QGroupBox(QStringLiteral("缩放"), this);
  auto* scale_layout = new QGridLayout(scale);
  scale_mode_ = new QButtonGroup(this);
  auto* fit = new QRadioButton(QStringLiteral("缩放到纸宽"), scale);
  auto* shrink = new QRadioButton(QStringLiteral("如超宽则压缩到纸宽"), scale);
  auto* custom = new QRadioButton(QStringLiteral("自定义:"), scale);
  scale_mode_->addButton(fit, kFit);
  scale_mode_->addButton(shrink, kShrink);
  scale_mode_->addButton(custom, kPercent);
  scale_percent_ = Spin(20, 1000, scale);
  scale_layout->addWidget(fit, 0, 0, 1, 3);
  scale_layout->addWidget(shrink, 1, 0, 1, 3);
  scale_layout->addWidget(custom, 2, 0);
  scale_layout->addWidget(new QLabel(QStringLiteral("缩放百分比:"), scale), 2, 1);
  scale_layout->addWidget(scale_percent_, 2, 2);
  connect(scale_mode_, &QButtonGroup::idToggled, this,
          [this](int, bool) { scale_percent_->setEnabled(scale_mode_->checkedId() == kPercent); });
  layout->addWidget(scale);

  repeat_last_row_ = new QCheckBox(QStringLiteral("自动重复尾行填充尾页空白"), this);
  add_table_lines_ = new QCheckBox(QStringLiteral("自动添加表格线"), this);
  layout->addWidget(repeat_last_row_);
  layout->addWidget(add_table_lines_);
  auto* rows = new QHBoxLayout;
  rows_per_page_ = Spin(0, 99999, this);
  rows->addWidget(new QLabel(QStringLiteral("每页打印行数(为0自动判断):"), this));
  rows->addWidget(rows_per_page_);
  layout->addLayout(rows);

  auto* range = new QGroupBox(QStringLiteral("打印范围"), this);
  auto* range_layout = new QGridLayout(range);
  range_mode_ = new QButtonGroup(this);
  const char* modes[] = {"打印所有页", "打印页范围", "打印行范围"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(modes[i]), range);
    range_mode_->addButton(button, i);
    range_layout->addWidget(button, 0, i);
  }
  range_start_label_ = new QLabel(range);
  range_end_label_ = new QLabel(range);
  range_start_ = Spin(1, 9999999, range);
  range_end_ = Spin(1, 9999999, range);
  to_the_end_ = new QCheckBox(QStringLiteral("打印到结尾"), range);
  range_layout->addWidget(range_start_label_, 1, 0);
  range_layout->addWidget(range_start_, 1, 1);
  range_layout->addWidget(range_end_label_, 2, 0);
  range_layout->addWidget(range_end_, 2, 1);
  range_layout->addWidget(to_the_end_, 2, 2);
  odd_even_ = new QComboBox(range);
  odd_even_->addItem(QStringLiteral("打印全部页"), 0);
  odd_even_->addItem(QStringLiteral("只打印奇数页"), 1);
  odd_even_->addItem(QStringLiteral("只打印偶数页"), 2);
  range_layout->addWidget(new QLabel(QStringLiteral("奇偶页方式:"), range), 3, 0);
  range_layout->addWidget(odd_even_, 3, 1, 1, 2);
  connect(range_mode_, &QButtonGroup::idToggled, this, [this](int, bool) { UpdateRangeLabels(); });
  connect(to_the_end_, &QCheckBox::toggled, this, [this](bool on) { range_end_->setEnabled(!on); });
  layout->addWidget(range);

  auto* job = new QGridLayout;
  first_page_number_ = Spin(-9999999, 9999999, this);
  copies_ = Spin(1, 9999, this);
  job->addWidget(new QLabel(QStringLiteral("首页打印页号:"), this), 0, 0);
  job->addWidget(first_page_number_, 0, 1);
  job->addWidget(new QLabel(QStringLiteral("打印份数:"), this), 1, 0);
  job->addWidget(copies_, 1, 1);
  print_to_file_ = new QCheckBox(QStringLiteral("打印到文件:"), this);
  output_file_ = new QLineEdit(this);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QStringLiteral("browse"));
  job->addWidget(print_to_file_, 2, 0);
  job->addWidget(output_file_, 2, 1);
  job->addWidget(browse, 2, 2);
  connect(browse, &QPushButton::clicked, this, &PrintSettingsDialog::ChooseOutputFile);
  layout->addLayout(job);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PrintSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PrintSettingsDialog::reject);
  layout->addWidget(buttons);

  Load(settings);
}

void PrintSettingsDialog::Load(const report::PrintSettings& s) {
  const std::int32_t margins[] = {s.margin_left, s.margin_top, s.margin_right, s.margin_bottom};
  for (int i = 0; i < 4; ++i) margins_[i]->setText(ToQt(report::MillimetreText(margins[i])));
  SelectData(page_number_position_, s.page_number_position);
  const int scale = report::AdjustedScaleCode(s.scale_code);
  scale_mode_->button(scale == -1 ? kFit : scale == -2 ? kShrink : kPercent)->setChecked(true);
  scale_percent_->setValue(scale < 0 ? 100 : scale);
  scale_percent_->setEnabled(scale >= 0);
  SelectData(paper_size_, s.paper_size);
  SelectData(orientation_, s.orientation);
  repeat_last_row_->setChecked(s.repeat_last_row != 0);
  add_table_lines_->setChecked(s.add_table_lines != 0);
  rows_per_page_->setValue(s.rows_per_page);
  const int mode = s.range_mode >= 0 && s.range_mode <= 2 ? s.range_mode : 0;
  range_mode_->button(mode)->setChecked(true);
  range_start_->setValue(s.range_start);
  range_end_->setValue(s.range_end > 0 ? s.range_end : range_start_->value());
  to_the_end_->setChecked(s.range_end <= 0);
  range_end_->setEnabled(s.range_end > 0);
  SelectData(odd_even_, s.odd_even);
  first_page_number_->setValue(s.first_page_number);
  copies_->setValue(s.copies);
  print_to_file_->setChecked(s.print_to_file != 0);
  output_file_->setText(ToQt(s.output_file));
  UpdateRangeLabels();
}

void PrintSettingsDialog::UpdateRangeLabels() {
  const bool rows = range_mode_->checkedId() == 2;
  range_start_label_->setText(rows ? QStringLiteral("起始行号:") : QStringLiteral("起始页号:"));
  range_end_label_->setText(rows ? QStringLiteral("结束行号:") : QStringLiteral("结束页号:"));
  const bool ranged = range_mode_->checkedId() != 0;
  range_start_->setEnabled(ranged);
  to_the_end_->setEnabled(ranged);
  range_end_->setEnabled(ranged && !to_the_end_->isChecked());
}

void PrintSettingsDialog::ChooseOutputFile() {
  QString start = output_file_->text();
  if (start.isEmpty()) start = QStringLiteral("out.prn");
  const QString chosen =
      QFileDialog::getSaveFileName(this, QStringLiteral("请选择欲打印到文件名:"), start,
                                   QStringLiteral("打印输出文件 (*.prn);;所有文件 (*.*)"));
  if (chosen.isEmpty()) return;
  output_file_->setText(chosen);
  print_to_file_->setChecked(true);
}

void PrintSettingsDialog::accept() {
  report::PrintSettings s = settings_;
  std::int32_t* margins[] = {&s.margin_left, &s.margin_top, &s.margin_right, &s.margin_bottom};
  for (int i = 0; i < 4; ++i) {
    auto tenths = report::ParseMillimetres(margins_[i]->text().toStdString());
    if (!tenths) {
      QMessageBox::information(this, QStringLiteral("信息："),
                               QStringLiteral("页边距请输入毫米数，最多一位小数。"));
      margins_[i]->setFocus();
      margins_[i]->selectAll();
      return;
    }
    *margins[i] = *tenths;
  }
  s.page_number_position = static_cast<std::int16_t>(page_number_position_->currentData().toInt());
  const int mode = scale_mode_->checkedId();
  s.scale_code = static_cast<std::int16_t>(mode == kFit      ? -1
                                           : mode == kShrink ? -2
                                                             : scale_percent_->value());
  s.paper_size = static_cast<std::int16_t>(paper_size_->currentData().toInt());
  s.orientation = static_cast<std::int16_t>(orientation_->currentData().toInt());
  s.repeat_last_row = repeat_last_row_->isChecked() ? 1 : 0;
  s.add_table_lines = add_table_lines_->isChecked() ? 1 : 0;
  s.rows_per_page = rows_per_page_->value();
  s.range_mode = range_mode_->checkedId();
  s.range_start = range_start_->value();
  s.range_end = to_the_end_->isChecked() ? 0 : range_end_->value();
  s.odd_even = odd_even_->currentData().toInt();
  s.first_page_number = first_page_number_->value();
  s.copies = copies_->value();
  s.print_to_file = print_to_file_->isChecked() ? 1 : 0;
  s.output_file = platform::Utf8ToGbk(output_file_->text().toStdString());
  settings_ = std::move(s);
  QDialog::accept();
}

}  // namespace gui
