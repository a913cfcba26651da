#include "platform/ini_file.h"

#include <vector>

#include "platform/gbk.h"
#include "platform/system.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// One line of a settings file.
struct Line {
  enum class Kind { kOther, kSection, kEntry };
  std::size_t begin = 0;  // first byte
  std::size_t end = 0;    // end of the text, before its "\r\n" or "\n"
  std::size_t next = 0;   // first byte of the next line
  Kind kind = Kind::kOther;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // an entry's value, trimmed, quotes still on
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  for (std::size_t begin = 0; begin < content.size();) {
    Line line;
    line.begin = begin;
    std::size_t newline = content.find('\n', begin);
    line.next = newline == std::string_view::npos ? content.size() : newline + 1;
    line.end = newline == std::string_view::npos ? content.size() : newline;
    if (line.end > begin && content[line.end - 1] == '\r') --line.end;
    std::string_view text = Trim(content.substr(begin, line.end - begin));
    if (!text.empty() && text.front() == '[') {
      line.kind = Line::Kind::kSection;
      std::string_view name = text.substr(1);
      line.name = Trim(name.substr(0, name.find(']')));
    } else if (!text.empty() && text.front() != ';') {
      std::size_t equals = text.find('=');
      if (equals != std::string_view::npos) {
        line.kind = Line::Kind::kEntry;
        line.name = Trim(text.substr(0, equals));
        line.value = Trim(text.substr(equals + 1));
      }
    }
    lines.push_back(line);
    begin = line.next;
  }
  return lines;
}

// For each line, whether it lies inside a section called `section`
// (section headers themselves count as inside when they match).
std::vector<bool> InsideSection(const std::vector<Line>& lines, std::string_view section) {
  std::vector<bool> inside(lines.size(), false);
  bool current = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == Line::Kind::kSection) current = EqualIgnoreCase(lines[i].name, section);
    inside[i] = current;
  }
  return inside;
}

bool IsKeyLine(const Line& line, bool inside, std::string_view key) {
  return inside && line.kind == Line::Kind::kEntry && EqualIgnoreCase(line.name, key);
}

// The line break the file already uses ("\r\n" for a new file).
std::string_view LineBreakOf(std::string_view content) {
  std::size_t newline = content.find('\n');
  if (newline != std::string_view::npos && (newline == 0 || content[newline - 1] != '\r'))
    return "\n";
  return "\r\n";
}

// `content` without the lines for which `drop` holds.
template <typename Drop>
std::string WithoutLines(std::string_view content, const std::vector<Line>& lines, Drop drop) {
  std::string result;
  result.reserve(content.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!drop(i)) result.append(content.substr(lines[i].begin, lines[i].next - lines[i].begin));
  }
  return result;
}

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Applies `edit` to the file's text and stores the result when it changed.
// A missing file counts as empty, but an edit that leaves it empty creates
// nothing.
template <typename Edit>
bool EditFile(std::string_view file, Edit edit) {
  std::string path = CutAtNul(file);
  if (path.empty()) return false;
  std::optional<std::string> old_content = system::ReadWholeFile(path);
  if (!old_content) {
    // A file that exists but cannot be read is not overwritten.
    if (system::Exists(path)) return false;
    old_content.emplace();
    std::string new_content = edit(*old_content);
    if (new_content.empty()) return true;
    return system::ReplaceWholeFile(path, new_content);
  }
  std::string new_content = edit(*old_content);
  if (new_content == *old_content) return true;
  return system::ReplaceWholeFile(path, new_content);
}

}  // namespace

namespace ini {

std::optional<std::string> Find(std::string_view content, std::string_view section,
                                std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::vector<Line> lines = SplitLines(content);
  std::vector<bool> inside = InsideSection(lines, section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsKeyLine(lines[i], inside[i], key)) return std::string(Unquoted(lines[i].value));
  }
  return std::nullopt;
}

std::string Set(std::string_view content, std::string_view section, std::string_view key,
                std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  std::string_view line_break = LineBreakOf(content);
  std::string entry = std::string(key) + "=" + std::string(value);
  std::vector<Line> lines = SplitLines(content);
  std::vector<bool> inside = InsideSection(lines, section);

  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsKeyLine(lines[i], inside[i], key)) continue;
    std::string result(content.substr(0, lines[i].begin));
    result += entry;
    result.append(content.substr(lines[i].end));
    return result;
  }

  // A new key goes after the last key or other non-blank line of the
  // section's first occurrence, ahead of the blank lines that part it from
  // the next section.
  std::optional<std::size_t> after;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!inside[i]) {
      if (after) break;
      continue;
    }
    if (lines[i].kind == Line::Kind::kSection && after) break;
    if (lines[i].kind != Line::Kind::kOther ||
        !Trim(content.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty())
      after = i;
  }

  std::string result;
  std::size_t split = after ? lines[*after].next : content.size();
  result.append(content.substr(0, split));
  if (!result.empty() && result.back() != '\n') result += line_break;
  if (!after) {
    result += "[";
    result += section;
    result += "]";
    result += line_break;
  }
  result += entry;
  result += line_break;
  result.append(content.substr(split));
  return result;
}

std::string RemoveKey(std::string_view content, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::vector<Line> lines = SplitLines(content);
  std::vector<bool> inside = InsideSection(lines, section);
  return WithoutLines(content, lines,
                      [&](std::size_t i) { return IsKeyLine(lines[i], inside[i], key); });
}

std::string RemoveSection(std::string_view content, std::string_view section) {
  section = Trim(section);
  std::vector<Line> lines = SplitLines(content);
  std::vector<bool> inside = InsideSection(lines, section);
  return WithoutLines(content, lines, [&](std::size_t i) { return inside[i]; });
}

}  // namespace ini

std::optional<std::string> ReadIniValue(std::string_view file, std::string_view section,
                                        std::string_view key) {
  std::string path = CutAtNul(file);
  if (path.empty()) return std::nullopt;
  std::optional<std::string> content = system::ReadWholeFile(path);
  if (!content) return std::nullopt;
  std::optional<std::string> value = ini::Find(*content, CutAtNul(section), CutAtNul(key));
  if (!value) return std::nullopt;
  // The desktop reader's buffer is C text: it ends at a NUL byte too.
  std::string cut = CutAtNul(*value);
  std::size_t length = 0;
  while (length < cut.size() && length + CharLength(cut, length) <= kIniValueLimit)
    length += CharLength(cut, length);
  cut.resize(length);
  return cut;
}

bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value) {
  std::string section_name(Trim(CutAtNul(section)));
  std::string key_name(Trim(CutAtNul(key)));
  std::string text = CutAtNul(value);
  // The reader takes blanks and one pair of quotes off a value; a value that
  // would lose either is written inside quotes, so it reads back as it was.
  if (Trim(text) != text || Unquoted(text) != text) text = '"' + text + '"';
  if (section_name.empty() || key_name.empty() || HasLineBreak(section_name) ||
      HasLineBreak(key_name) || HasLineBreak(text) || key_name.find('=') != std::string::npos)
    return false;
  return EditFile(file, [&](std::string_view content) {
    return ini::Set(content, section_name, key_name, text);
  });
}

bool DeleteIniKey(std::string_view file, std::string_view section, std::string_view key) {
  std::string section_name = CutAtNul(section);
  std::string key_name = CutAtNul(key);
  return EditFile(file, [&](std::string_view content) {
    return ini::RemoveKey(content, section_name, key_name);
  });
}

bool DeleteIniSection(std::string_view file, std::string_view section) {
  std::string section_name = CutAtNul(section);
  return EditFile(
      file, [&](std::string_view content) { return ini::RemoveSection(content, section_name); });
}

}  // namespace platform
