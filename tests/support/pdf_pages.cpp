#include "tests/support/pdf_pages.h"

#include <cstdio>
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

std::string PdfText(const std::string& path) {
  const std::string command = "pdftotext -layout '" + path + "' - 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  pclose(pipe);
  return text;
}

}  // namespace testing_support
