#include "tests/support/pdf_pages.h"

#include <fstream>
#include <iterator>

namespace testing_support {

int PdfPages(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (pdf.rfind("%PDF", 0) != 0) return -1;
  // Every page object is "/Type /Page"; the page tree is "/Type /Pages".
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

}  // namespace testing_support
