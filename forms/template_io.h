// The window-template segment: its byte layout, reader and writer.
//
// All integers are little-endian 32-bit; a string is NUL-terminated GBK; a
// counted string is a 32-bit length and that many bytes.
//
// Segment:      window-list length L = 8 x W (4), W window ids, W reserved
//               words, then one window block per window in list order.
// Window block: reserved (4) module id (4) first name (counted)
//               second name (counted) unit count N (4) table length B (4)
//               unit table (B bytes).
// Unit table:   N unit ids (entry 0 the window's own unit), N record offsets
//               counted from the start of the record area, then the record
//               area: per record a 32-bit length and the record bytes.
// Unit record:  type (4) copy of (4) reserved (16) name (string)
//               remark (string) object slot (4) left top width height (16)
//               reserved (4) container (4) child count C (4) children (4 C)
//               auxiliary block (4 + bytes) third name (string) reserved (4)
//               flags (4) reserved (4) event count M (4)
//               M x (event number (4) handler offset (4)) reserved (20)
//               settings (rest of the record, settings.h).
// Menu item:    type 0x10003 (4) copy of (4) reserved (16) name (string)
//               remark (string) reserved (4) level (4) flags (4)
//               caption (string) handler offset (4) reserved (16).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "forms/template.h"

namespace forms {

// Writes `tmpl` as a template segment.
Bytes WriteTemplate(const Template& tmpl);

// Reads a template segment. Returns nullopt when the bytes are not a whole,
// consistent segment: a read past an end, trailing bytes, an unknown unit
// type, settings that do not fit their type, invalid or repeated ids, a
// container or child that is not in the window, tab pages that do not match
// the page count, a menu item without its menu, or containers in a cycle.
std::optional<Template> ReadTemplate(std::span<const std::uint8_t> segment);

}  // namespace forms
