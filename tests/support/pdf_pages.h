// How many pages a PDF file holds, for tests that print to a file.
#pragma once

#include <string>

namespace testing_support {

// Pages of the PDF file at `path` (UTF-8), or -1 when it is none.
int PdfPages(const std::string& path);

// The text of the PDF file at `path` as pdftotext reads it (UTF-8, pages
// in order, the layout kept), or "" when it cannot be read.
std::string PdfText(const std::string& path);

}  // namespace testing_support
