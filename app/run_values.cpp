#include "app/run_values.h"

namespace desk {

runtime::Text ProgramDirectory;
runtime::Text ShopName;
runtime::Text InquiryNumber;
FormAmounts Amounts;
ReceiptState Receipt;
runtime::Bytes ReceiptBytes;
std::int32_t ReportRecordNo = 0;

runtime::Text ProgramFile(std::string_view file_name) {
  runtime::Text path = ProgramDirectory;
  path += file_name;
  return path;
}

void CreateRunValues() {
  ProgramDirectory.clear();
  ShopName.clear();
  InquiryNumber.clear();
  Amounts = {};
  Receipt = {};
  ReceiptBytes.clear();
  ReportRecordNo = 0;
}

void ExitDesk() {
  // Swapping with empty values gives their memory back, which clear() would not.
  runtime::Text().swap(ProgramDirectory);
  runtime::Text().swap(ShopName);
  runtime::Text().swap(InquiryNumber);
  runtime::Bytes().swap(ReceiptBytes);
  Amounts = {};
  Receipt = {};
  ReportRecordNo = 0;
}

}  // namespace desk
