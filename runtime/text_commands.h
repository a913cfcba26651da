// The text commands. Texts are GBK byte strings; lengths, counts and
// positions are bytes, positions 1-based. Search, replace and split walk a
// text by characters, so a match never starts on the second byte of a
// double-byte character.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace runtime {

// The first min(count, length) bytes; a count of 0 or below gives the empty text.
Text LeftText(std::string_view text, std::int32_t count);

// The last min(count, length) bytes; a count of 0 or below gives the empty text.
Text RightText(std::string_view text, std::int32_t count);

// 1-based byte position of the first occurrence of `sought` at or after
// `start` (1-based; omitted = 1), or -1. An empty `sought` gives 1 when the
// searched range is not empty. With `ignore_case` ASCII letters match either
// case; double-byte characters always match exactly.
std::int32_t FindText(std::string_view text, std::string_view sought,
                      std::optional<std::int32_t> start = std::nullopt, bool ignore_case = false);

// A copy of `text` in which occurrences of `old_text` at or after `start`
// (1-based; omitted = 1) are replaced by `new_text`, at most `count` of them
// (omitted or negative = all, 0 = none). Matching ignores letter case unless
// `case_sensitive`. An empty text or old text gives an unchanged copy.
Text ReplaceSubText(std::string_view text, std::string_view old_text,
                    std::string_view new_text = {},
                    std::optional<std::int32_t> start = std::nullopt,
                    std::optional<std::int32_t> count = std::nullopt, bool case_sensitive = false);

// The parts of `text` between occurrences of `delimiter` (exact match).
// `max_parts` omitted means no limit; a negative maximum counts as 0, which
// gives no parts. An empty text gives no parts; an empty delimiter the whole
// text as one part. The remainder after the last delimiter is a part only
// when it is not empty, so a trailing delimiter adds no empty part.
std::vector<Text> SplitText(std::string_view text, std::string_view delimiter = ",",
                            std::optional<std::int32_t> max_parts = std::nullopt);

}  // namespace runtime
