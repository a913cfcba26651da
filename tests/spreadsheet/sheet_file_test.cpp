#include "spreadsheet/sheet.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "platform/gbk.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::operator""_gbk;
using spreadsheet::Cell;
using spreadsheet::Sheet;
using testing_support::TempDir;

Sheet OrdersSheet() {
  Sheet sheet;
  sheet.name = "到货管理"_gbk;
  sheet.header = {"客户姓名"_gbk, "商品总价"_gbk, "下单时间"_gbk, "备注"_gbk};
  sheet.rows.push_back({Cell::Text("张三"_gbk), Cell::Number("12.5", 12.5),
                        Cell::DateTime("2026年12月9日14时30分5秒"_gbk, {2026, 12, 9, 14, 30, 5}),
                        Cell::Text("说\"好\",\r\n明天"_gbk)});
  sheet.rows.push_back(
      {Cell::Text("=1+2"), Cell::Number("-5", -5), Cell::Text("——"_gbk), Cell::Text("@SUM(A1)")});
  return sheet;
}

std::string ReadAll(const std::string& utf8_path) {
  std::ifstream in(testing_support::Utf8Path(utf8_path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
  return value;
}

// One part of a zip file (stored or deflated), found through the central
// directory; empty when there is no such part.
std::string Unzipped(const std::string& zip_path, const std::string& part) {
  const std::string zip = ReadAll(zip_path);
  const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos) return {};
  std::size_t entry = Le(zip, end + 16, 4);
  for (std::uint32_t i = 0, n = Le(zip, end + 10, 2); i < n; ++i) {
    const std::uint32_t method = Le(zip, entry + 10, 2);
    const std::uint32_t packed = Le(zip, entry + 20, 4), size = Le(zip, entry + 24, 4);
    const std::uint32_t name_length = Le(zip, entry + 28, 2);
    const std::uint32_t skip = name_length + Le(zip, entry + 30, 2) + Le(zip, entry + 32, 2);
    if (zip.compare(entry + 46, name_length, part) == 0) {
      const std::size_t local = Le(zip, entry + 42, 4);
      const std::size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
      if (method == 0) return zip.substr(data, packed);
      std::string out(size, '\0');
      z_stream stream{};
      if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return {};
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
      stream.avail_in = packed;
      stream.next_out = reinterpret_cast<Bytef*>(out.data());
      stream.avail_out = size;
      const int result = inflate(&stream, Z_FINISH);
      inflateEnd(&stream);
      return result == Z_STREAM_END ? out : std::string();
    }
    entry += 46 + skip;
  }
  return {};
}

// The `index`-th (0-based) element <tag .../> or <tag ...>...</tag> inside
// the element <within ...>...</within>.
std::string NthElement(const std::string& xml, const std::string& within, const std::string& tag,
                       int index) {
  std::smatch section;
  if (!std::regex_search(xml, section,
                         std::regex("<" + within + "[ >][\\s\\S]*?</" + within + ">")))
    return {};
  const std::string part = section[0];
  const std::regex element("<" + tag + "( [^>]*)?(/>|>[\\s\\S]*?</" + tag + ">)");
  auto it = std::sregex_iterator(part.begin(), part.end(), element);
  for (int i = 0; i < index && it != std::sregex_iterator(); ++i) ++it;
  return it == std::sregex_iterator() ? std::string() : std::string((*it)[0]);
}

std::string Attribute(const std::string& element, const std::string& name) {
  std::smatch match;
  if (std::regex_search(element, match, std::regex(" " + name + "=\"([^\"]*)\""))) return match[1];
  return {};
}

// The cell element <c r="ref" ...>...</c> of a worksheet.
std::string CellElement(const std::string& sheet_xml, const std::string& ref) {
  std::smatch match;
  if (std::regex_search(sheet_xml, match, std::regex("<c r=\"" + ref + "\"[^>]*>[\\s\\S]*?</c>")))
    return match[0];
  return {};
}

std::string Value(const std::string& cell) {
  std::smatch match;
  if (std::regex_search(cell, match, std::regex("<v>([^<]*)</v>"))) return match[1];
  return {};
}

TEST(CsvBytes, StartsWithAByteOrderMarkQuotesAsRfc4180AndKeepsFormulasTexts) {
  EXPECT_EQ(spreadsheet::CsvBytes(OrdersSheet()),
            "\xEF\xBB\xBF"
            "客户姓名,商品总价,下单时间,备注\r\n"
            "张三,12.5,2026年12月9日14时30分5秒,\"说\"\"好\"\",\r\n明天\"\r\n"
            "'=1+2,-5,——,'@SUM(A1)\r\n");
}

TEST(WriteSheet, NamesEndAsTheyAreWritten) {
  EXPECT_EQ(spreadsheet::WithSheetEnd("a.CSV"), "a.CSV");
  EXPECT_EQ(spreadsheet::KindOf("a.CSV"), spreadsheet::FileKind::kCsv);
  if (spreadsheet::CanWriteXlsx()) {
    EXPECT_EQ(spreadsheet::WithSheetEnd("a.xlsx"), "a.xlsx");
    EXPECT_EQ(spreadsheet::WithSheetEnd("a"), "a.xlsx");
  } else {
    EXPECT_EQ(spreadsheet::WithSheetEnd("a.xlsx"), "a.xlsx.csv");
  }
}

TEST(WriteSheet, XlsxHoldsNumbersDatesSharedTextsAndABoldHeader) {
  if (!spreadsheet::CanWriteXlsx()) GTEST_SKIP() << "this build writes .csv only";
  TempDir dir;
  const std::string path = dir.File("导出.xlsx");
  ASSERT_EQ(spreadsheet::WriteSheet(OrdersSheet(), platform::Utf8ToGbk(path)), "");
  const std::string sheet = Unzipped(path, "xl/worksheets/sheet1.xml");
  const std::string strings = Unzipped(path, "xl/sharedStrings.xml");
  const std::string styles = Unzipped(path, "xl/styles.xml");
  ASSERT_FALSE(sheet.empty());
  EXPECT_NE(Unzipped(path, "xl/workbook.xml").find("name=\"到货管理\""), std::string::npos);

  // A number is a number.
  const std::string number = CellElement(sheet, "B2");
  EXPECT_EQ(Attribute(number, "t"), "");
  EXPECT_EQ(Value(number), "12.5");
  EXPECT_EQ(Value(CellElement(sheet, "B3")), "-5");

  // A date-time is a day number shown with a date format.
  const std::string date = CellElement(sheet, "C2");
  EXPECT_EQ(Attribute(date, "t"), "");
  EXPECT_NEAR(std::stod(Value(date)), 46365.604224537, 1e-9);
  const std::string date_style =
      NthElement(styles, "cellXfs", "xf", std::stoi(Attribute(date, "s")));
  EXPECT_NE(styles.find("numFmtId=\"" + Attribute(date_style, "numFmtId") +
                        "\" formatCode=\"yyyy-mm-dd hh:mm:ss\""),
            std::string::npos);
  // A cell that shows no date stays the text it shows.
  EXPECT_EQ(Attribute(CellElement(sheet, "C3"), "t"), "s");

  // Chinese text goes through the shared strings; a formula-like text is a text.
  const std::string name = CellElement(sheet, "A2");
  EXPECT_EQ(Attribute(name, "t"), "s");
  EXPECT_EQ(NthElement(strings, "sst", "si", std::stoi(Value(name))), "<si><t>张三</t></si>");
  const std::string formula = CellElement(sheet, "A3");
  EXPECT_EQ(Attribute(formula, "t"), "s");
  EXPECT_EQ(formula.find("<f>"), std::string::npos);

  // The header row is bold.
  const std::string header = CellElement(sheet, "A1");
  const std::string header_style =
      NthElement(styles, "cellXfs", "xf", std::stoi(Attribute(header, "s")));
  const std::string font =
      NthElement(styles, "fonts", "font", std::stoi(Attribute(header_style, "fontId")));
  EXPECT_NE(font.find("<b/>"), std::string::npos) << font;

  // Columns are fitted: the date column is wider than the number column.
  std::smatch widths;
  ASSERT_TRUE(
      std::regex_search(sheet, widths,
                        std::regex("<col min=\"2\" max=\"2\" width=\"([0-9.]+)\"[^>]*/><col "
                                   "min=\"3\" max=\"3\" width=\"([0-9.]+)\"")));
  EXPECT_LT(std::stod(widths[1]), std::stod(widths[2]));
}

TEST(WriteSheet, ReplacesAFileWholeAndLeavesNothingElseBeside) {
  TempDir dir;
  const std::string path = dir.File("列表.csv");
  { std::ofstream(testing_support::Utf8Path(path)) << "old"; }
  ASSERT_EQ(spreadsheet::WriteSheet(OrdersSheet(), platform::Utf8ToGbk(path)), "");
  EXPECT_EQ(ReadAll(path), spreadsheet::CsvBytes(OrdersSheet()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WriteSheet, SaysWhyAFileCannotBeWrittenAndLeavesNothingBehind) {
  TempDir dir;
  const std::string missing = platform::Utf8ToGbk(dir.File("没有的文件夹/列表.csv"));
  EXPECT_NE(spreadsheet::WriteSheet(OrdersSheet(), missing).find("文件夹不存在"_gbk),
            std::string::npos);
  std::filesystem::create_directory(testing_support::Utf8Path(dir.File("文件夹.csv")));
  const std::string folder = platform::Utf8ToGbk(dir.File("文件夹.csv"));
  EXPECT_NE(spreadsheet::WriteSheet(OrdersSheet(), folder).find("不能在该文件夹中写文件"_gbk),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(testing_support::Utf8Path(dir.File("文件夹.csv"))));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
