// Shared pieces of the record-store tests: GBK texts, new data files in a
// temporary folder, and raw looks at file bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gbk.h"
#include "store/creator.h"
#include "store/database_list.h"
#include "store/page_cipher.h"
#include "tests/support/temp_dir.h"

namespace store_test {

inline std::string Gbk(const std::string& utf8) { return platform::Utf8ToGbk(utf8); }

// The file system's path of a GBK file name.
inline std::filesystem::path FsPath(const std::string& gbk_path) {
  return testing_support::Utf8Path(platform::GbkToUtf8(gbk_path, false));
}

// A GBK path of `name` (UTF-8) inside `dir`.
inline std::string PathIn(const testing_support::TempDir& dir, const std::string& name) {
  return Gbk(dir.File(name));
}

inline store::NewField Field(const std::string& utf8_name, store::FieldType type,
                             std::int32_t width = 0) {
  return {Gbk(utf8_name), type, width};
}

// Open arguments as a child process's text arguments, and back.
inline std::vector<std::string> ChildArgs(const store::OpenArguments& args) {
  return {args.file, args.alias, args.password.value_or(""),
          args.sharing ? std::to_string(*args.sharing) : ""};
}
inline store::OpenArguments OpenArgsOf(const std::vector<std::string>& arguments,
                                       std::size_t at = 0) {
  store::OpenArguments args;
  args.file = arguments.at(at);
  args.alias = arguments.at(at + 1);
  if (!arguments.at(at + 2).empty()) args.password = arguments.at(at + 2);
  if (!arguments.at(at + 3).empty()) args.sharing = std::stoi(arguments.at(at + 3));
  return args;
}

inline store::OpenArguments OpenArgs(const std::string& gbk_path, const std::string& gbk_alias = {},
                                     std::optional<std::string> password = std::nullopt) {
  store::OpenArguments args;
  args.file = gbk_path;
  args.alias = gbk_alias;
  args.password = std::move(password);
  return args;
}

// The raw bytes of a file.
inline std::vector<std::uint8_t> FileBytes(const std::string& gbk_path) {
  std::ifstream in(FsPath(gbk_path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& gbk_path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(FsPath(gbk_path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::uint64_t FileSize(const std::string& gbk_path) {
  return std::filesystem::file_size(FsPath(gbk_path));
}

// `bytes` as seen through `password` (deciphered in place; no password:
// unchanged).
inline std::vector<std::uint8_t> Deciphered(std::vector<std::uint8_t> bytes,
                                            const std::string& password) {
  if (!password.empty()) store::PageCipher(password).Apply(0, bytes);
  return bytes;
}

// `prefix` followed by the number, built piece by piece: GCC 12 sees a false
// overlap (-Wrestrict) in "literal" + std::string in Release builds.
inline std::string Numbered(std::string_view prefix, long long n) {
  std::string text(prefix);
  text += std::to_string(n);
  return text;
}
inline std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::int32_t>(
      std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
      std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24);
}

}  // namespace store_test

namespace store_test {

// Changes the deciphered bytes of a file with `edit` and enciphers them
// again.
template <typename Edit>
void PatchFile(const std::string& gbk_path, const std::string& password, Edit edit) {
  std::vector<std::uint8_t> bytes = Deciphered(FileBytes(gbk_path), password);
  edit(bytes);
  WriteFileBytes(gbk_path, Deciphered(std::move(bytes), password));
}

inline void PutInt32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value) {
  for (int k = 0; k < 4; ++k)
    bytes[offset + static_cast<std::size_t>(k)] =
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * k));
}

}  // namespace store_test
