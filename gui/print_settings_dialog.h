// The print-settings window "打印设置对话框": every field of a table's print
// settings, lengths in millimetres with one decimal.
#pragma once

#include <QDialog>

#include "report/table.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace gui {

class PrintSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  PrintSettingsDialog(const report::PrintSettings& settings, QWidget* parent = nullptr);

  // The settings as the window shows them (valid once accept() has passed).
  report::PrintSettings settings() const { return settings_; }

  // Asks for the file to print to, starting from the window's file name
  // ("out.prn" when it has none).
  void ChooseOutputFile();

 public slots:
  // Takes the fields; a margin that is not a length keeps the window open
  // with its box in focus.
  void accept() override;

 private:
  void Load(const report::PrintSettings& s);
  void UpdateRangeLabels();

  report::PrintSettings settings_;
  QLineEdit* margins_[4];
  QComboBox* page_number_position_;
  QButtonGroup* scale_mode_;
  QSpinBox* scale_percent_;
  QComboBox* paper_size_;
  QComboBox* orientation_;
  QCheckBox* repeat_last_row_;
  QCheckBox* add_table_lines_;
  QSpinBox* rows_per_page_;
  QButtonGroup* range_mode_;
  QLabel* range_start_label_;
  QLabel* range_end_label_;
  QSpinBox* range_start_;
  QSpinBox* range_end_;
  QCheckBox* to_the_end_;
  QComboBox* odd_even_;
  QSpinBox* first_page_number_;
  QSpinBox* copies_;
  QCheckBox* print_to_file_;
  QLineEdit* output_file_;
};

}  // namespace gui
