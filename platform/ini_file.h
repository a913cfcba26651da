// Settings files ("private profiles"): GBK text files of sections, each
// opened by a line "[name]" and holding lines "key=value".
//
// Sections and keys are matched without regard to ASCII letter case and with
// the blanks around them trimmed; a value is read with the blanks around it
// trimmed and one pair of matching quotes (' or ") around it removed. Lines
// starting with ';' are comments, lines without '=' hold no key. Where a
// section or key occurs twice, reads take the first. Writes change only the
// lines they must and keep every other line byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The longest value a read gives: the reader's buffer holds 10 240 bytes with
// the closing NUL.
constexpr std::size_t kIniValueLimit = 10239;

// Editing the text of a settings file in memory.
namespace ini {

// The value of `key` in `section`, or nullopt when either is missing.
std::optional<std::string> Find(std::string_view content, std::string_view section,
                                std::string_view key);

// `content` with `key` in `section` set to `value`: the key's first line is
// rewritten; a missing key is added after the last line of the section's
// first occurrence, a missing section at the end of the text.
std::string Set(std::string_view content, std::string_view section, std::string_view key,
                std::string_view value);

// `content` without any line of `key` in `section`.
std::string RemoveKey(std::string_view content, std::string_view section, std::string_view key);

// `content` without `section`: its header and every line up to the next one.
std::string RemoveSection(std::string_view content, std::string_view section);

}  // namespace ini

// Settings files on disk. `file` is a GBK file name (see NativePath); a
// relative name resolves against the current directory.

// The value, cut to kIniValueLimit bytes (never inside a double-byte
// character), or nullopt when the file cannot be read or the section or key
// is missing.
std::optional<std::string> ReadIniValue(std::string_view file, std::string_view section,
                                        std::string_view key);

// Sets a value, creating the file, section or key as needed. False when the
// file cannot be written (it is read-only, its folder is missing, ...) or
// when the section or key is blank or a name or the value holds a line break,
// or the key an '='; the file is then left as it was. The new text replaces
// the old one in one step, so a failure part-way never loses other lines.
bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value);

// Deletes a key, or a whole section. Deleting what is not there succeeds and
// creates no file.
bool DeleteIniKey(std::string_view file, std::string_view section, std::string_view key);
bool DeleteIniSection(std::string_view file, std::string_view section);

}  // namespace platform
