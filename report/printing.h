// Printing a report table: the pages of its pagination, once per copy, on a
// print device, with a progress window that can stop the job between pages.
// The device and the progress window are the platform's (a printer or a
// file; a window or nothing); this file holds the order of the work and
// the texts the user sees.
#pragma once

#include <cstdint>

#include "report/pagination.h"
#include "report/painter.h"
#include "report/table.h"

namespace report {

// Where the pages go.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  // The paper, in tenths of a millimetre, turned as it is printed.
  virtual PageSize paper() const = 0;
  // Starts the print job named `job_name`; false when it cannot start.
  virtual bool BeginJob(const Text& job_name) = 0;
  // Starts a page; false when it cannot.
  virtual bool BeginPage() = 0;
  // Draws on the page begun last; from BeginJob on, it also measures texts
  // for the layout.
  virtual Painter& painter() = 0;
  virtual void EndPage() = 0;
  // Ends the job after its last page.
  virtual void EndJob() = 0;
  // Ends the job at once; pages not yet finished are dropped.
  virtual void AbortJob() = 0;
};

// The progress window, or nothing when printing without it.
class PrintProgress {
 public:
  virtual ~PrintProgress() = default;
  // Shows `message` (GBK) and moves the bar to `percent` (0-100).
  virtual void Show(const Text& message, int percent) = 0;
  // True once the user has asked to stop.
  virtual bool AbortRequested() = 0;
};

// Texts of printing (GBK).
namespace print_text {
// The default print-job name.
const Text& DefaultJobName();
// The failures, as GridPrint returns them.
const Text& NoOutputFile();  // print to file chosen without a file name
const Text& CannotCreatePrinter();
const Text& CannotOpenPrinter();
const Text& CannotStartJob();
const Text& CannotStartPage();
// The job was stopped from the progress window.
const Text& Aborted();
// The unit handed to printing shows no table.
const Text& NoTable();
// The progress window's title and its button.
const Text& ProgressTitle();
const Text& AbortButton();
// "文件: NAME".
Text FileDestination(const Text& file_name);
// "PORT 上的 PRINTER".
Text PrinterDestination(const Text& printer, const Text& port);
// "正在打印第 C/CS 份 P/PS 页到 DEST ".
Text Progress(int copy, int copies, int page, int pages, const Text& destination);
}  // namespace print_text

// Copies as they count: 1 to 9999.
int CopiesOf(const PrintSettings& settings);

// The failure text of settings that cannot print at all ("" when they can):
// printing to a file without a file name.
Text CheckPrintSettings(const PrintSettings& settings);

// Prints `table` on `device`: starts the job, then for every copy every page
// of the pagination for the device's paper, each on a page of its own,
// showing progress when `progress` is given and stopping when it asks to.
// Returns "" after success, else the failure text.
Text PrintTable(const Table& table, PrintDevice& device, const Text& job_name,
                const Text& destination, PrintProgress* progress);

}  // namespace report
