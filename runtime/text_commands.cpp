#include "runtime/text_commands.h"

#include <algorithm>

#include "platform/gbk.h"

namespace runtime {
namespace {

// Byte offset of a 1-based start position; omitted or below 1 is the start.
std::size_t StartOffset(std::optional<std::int32_t> position) {
  if (!position || *position <= 1) return 0;
  return static_cast<std::size_t>(*position) - 1;
}

bool MatchesAt(std::string_view text, std::size_t offset, std::string_view sought,
               bool ignore_case) {
  std::string_view candidate = text.substr(offset, sought.size());
  return ignore_case ? platform::EqualIgnoreCase(candidate, sought) : candidate == sought;
}

std::int32_t Position(std::size_t offset) { return static_cast<std::int32_t>(offset + 1); }

}  // namespace

Text LeftText(std::string_view text, std::int32_t count) {
  if (count <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text RightText(std::string_view text, std::int32_t count) {
  if (count <= 0) return {};
  std::size_t length = std::min(text.size(), static_cast<std::size_t>(count));
  return Text(text.substr(text.size() - length));
}

std::int32_t FindText(std::string_view text, std::string_view sought,
                      std::optional<std::int32_t> start, bool ignore_case) {
  std::size_t offset = StartOffset(start);
  if (offset >= text.size()) return -1;
  if (sought.empty()) return 1;
  while (text.size() - offset >= sought.size()) {
    if (MatchesAt(text, offset, sought, ignore_case)) return Position(offset);
    if (platform::IsLeadByte(static_cast<unsigned char>(text[offset]))) {
      // A lead byte with no trail byte is the end of the text.
      if (offset + 1 >= text.size()) break;
      offset += 2;
    } else {
      offset += 1;
    }
  }
  return -1;
}

Text ReplaceSubText(std::string_view text, std::string_view old_text, std::string_view new_text,
                    std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                    bool case_sensitive) {
  std::size_t offset = StartOffset(start);
  if (text.empty() || old_text.empty() || offset >= text.size() || (count && *count == 0))
    return Text(text);
  Text result(text.substr(0, offset));
  result.reserve(text.size());
  std::int32_t replaced = 0;
  bool replacing = true;
  while (replacing && text.size() - offset >= old_text.size()) {
    if (MatchesAt(text, offset, old_text, !case_sensitive)) {
      result += new_text;
      offset += old_text.size();
      ++replaced;
      if (count && *count > 0 && replaced >= *count) replacing = false;
    } else {
      std::size_t length = platform::CharLength(text, offset);
      result.append(text, offset, length);
      offset += length;
    }
  }
  result.append(text.substr(offset));
  return result;
}

std::vector<Text> SplitText(std::string_view text, std::string_view delimiter,
                            std::optional<std::int32_t> max_parts) {
  std::size_t limit = SIZE_MAX;
  if (max_parts) limit = *max_parts < 0 ? 0 : static_cast<std::size_t>(*max_parts);
  std::vector<Text> parts;
  if (limit == 0 || text.empty()) return parts;
  if (delimiter.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t part_start = 0;
  std::size_t offset = 0;
  while (offset < text.size() && parts.size() < limit) {
    if (text.substr(offset, delimiter.size()) == delimiter) {
      parts.emplace_back(text.substr(part_start, offset - part_start));
      offset += delimiter.size();
      part_start = offset;
    } else {
      offset += platform::CharLength(text, offset);
    }
  }
  if (part_start < text.size() && parts.size() < limit) parts.emplace_back(text.substr(part_start));
  return parts;
}

}  // namespace runtime
