// Field values and their bytes inside a record: which value type each field
// type reads as, how a written value is made to fit its field, and the
// encodings of the fixed-width fields. Byte sets and long texts keep only a
// 4-byte reference in the record; their bytes live in the long-value file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "runtime/value.h"
#include "store/format.h"

namespace store {

// The value type that reading a field of `type` gives and writing expects.
std::uint32_t ValueTypeOf(FieldType type);

// The blank value of a field type: empty text or byte set, false, 0.
runtime::Value BlankValue(FieldType type);

// `value` in the value type of a field of `type`: no value gives the blank
// value; the numeric types convert to one another; any other mismatch gives
// nullopt.
std::optional<runtime::Value> ConformValue(const runtime::Value& value, FieldType type);

// A numeric value converted to another numeric type: integers narrow by
// keeping their low bits, floating values are cut towards zero (a value no
// integer type can hold becomes the lowest 64-bit integer first).
runtime::Value ConvertNumeric(const runtime::Value& value, std::uint32_t target_type);

// The stored bytes of a fixed-width field (every type but byte set and long
// text); `value` must already be conformed. `out` has the stored width.
void EncodeField(const FieldDescriptor& field, const runtime::Value& value,
                 std::span<std::uint8_t> out);
// The value of a fixed-width field's stored bytes. Date-times are clamped
// to 0100-01-01 … 9999-12-31; texts end at their first 0 byte.
runtime::Value DecodeField(const FieldDescriptor& field, std::span<const std::uint8_t> bytes);

// The bytes a byte-set or long-text value is stored as.
std::span<const std::uint8_t> LongValueBytes(const runtime::Value& value);
// The value of a long value's stored bytes (a long text ends at its first
// 0 byte).
runtime::Value LongValueOf(FieldType type, std::vector<std::uint8_t> bytes);

}  // namespace store
