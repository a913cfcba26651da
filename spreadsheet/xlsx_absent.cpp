// A build without the spreadsheet library writes .csv only.
#include "platform/gbk.h"
#include "spreadsheet/sheet.h"

namespace spreadsheet {

using platform::operator""_gbk;

bool CanWriteXlsx() { return false; }

std::string XlsxBytes(const Sheet& /*sheet*/, std::string* failure) {
  *failure = "这个版本只能导出 CSV 文件。"_gbk;
  return {};
}

}  // namespace spreadsheet
