// Whether a text fits the data-file field it is stored in. The record store
// cuts a longer text to the field's width, which may end in half a
// character; the desk refuses such a write with a message instead, so what
// is stored is always what the box showed.
#pragma once

#include <span>

#include "runtime/value.h"

namespace desk {

// True when `value`, stored in field `field` (1-based) of the current
// database, keeps every byte. Otherwise shows which field is too long and by
// how much, and returns false; nothing is written.
bool FitsField(int field, const runtime::Value& value);

// FitsField for value i in field i + 1, for an append with values.
bool FitFields(std::span<const runtime::Value> values);

}  // namespace desk
