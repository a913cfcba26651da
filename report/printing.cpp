#include "report/printing.h"

#include <algorithm>

#include "platform/gbk.h"
#include "report/layout.h"

namespace report {

using platform::operator""_gbk;

namespace print_text {
const Text& DefaultJobName() { return "报表"_gbk; }
const Text& NoOutputFile() { return "未指定欲打印到的文件名称"_gbk; }
const Text& CannotCreatePrinter() { return "无法创建打印机设备"_gbk; }
const Text& CannotOpenPrinter() { return "不能打开打印机设备."_gbk; }
const Text& CannotStartJob() { return "创建打印作业失败"_gbk; }
const Text& CannotStartPage() { return "打印页失败"_gbk; }
const Text& Aborted() { return "打印已中止"_gbk; }
const Text& NoTable() { return "没有可打印的表格"_gbk; }
const Text& ProgressTitle() { return "正在打印，请稍候..."_gbk; }
const Text& AbortButton() { return "中止打印(&C)"_gbk; }

Text FileDestination(const Text& file_name) { return "文件: "_gbk + file_name; }

Text PrinterDestination(const Text& printer, const Text& port) {
  return port + " 上的 "_gbk + printer;
}

Text Progress(int copy, int copies, int page, int pages, const Text& destination) {
  return "正在打印第 "_gbk + std::to_string(copy) + "/" + std::to_string(copies) + " 份 "_gbk +
         std::to_string(page) + "/" + std::to_string(pages) + " 页到 "_gbk + destination + " ";
}
}  // namespace print_text

int CopiesOf(const PrintSettings& settings) { return std::clamp(settings.copies, 1, 9999); }

Text CheckPrintSettings(const PrintSettings& settings) {
  if (settings.print_to_file != 0 && settings.output_file.empty())
    return print_text::NoOutputFile();
  return {};
}

Text PrintTable(const Table& table, PrintDevice& device, const Text& job_name,
                const Text& destination, PrintProgress* progress) {
  const PageSize paper = device.paper();
  if (!device.BeginJob(job_name)) return print_text::CannotStartJob();
  // Texts are fitted to their cells as the device's own fonts measure them.
  const Pagination pagination =
      Paginate(table, PrintableArea(paper, table.print), device.painter());

  const int copies = CopiesOf(table.print);
  const int pages = static_cast<int>(pagination.pages.size());
  std::int64_t rows_per_copy = 0;
  for (const Page& page : pagination.pages) rows_per_copy += page.last_row - page.first_row + 1;
  const std::int64_t all_rows = std::max<std::int64_t>(rows_per_copy * copies, 1);
  std::int64_t rows_done = 0;

  for (int copy = 1; copy <= copies && pages > 0; ++copy)
    for (int index = 0; index < pages; ++index) {
      const Page& page = pagination.pages[static_cast<std::size_t>(index)];
      if (progress != nullptr) {
        if (progress->AbortRequested()) {
          device.AbortJob();
          return print_text::Aborted();
        }
        progress->Show(print_text::Progress(copy, copies, index + 1, pages, destination),
                       static_cast<int>(rows_done * 100 / all_rows));
      }
      if (!device.BeginPage()) {
        device.AbortJob();
        return print_text::CannotStartPage();
      }
      DrawPage(table, pagination, page, paper, device.painter());
      device.EndPage();
      rows_done += page.last_row - page.first_row + 1;
    }
  device.EndJob();
  return {};
}

}  // namespace report
