// Making new, empty data files (and the long-value file their fields need).
// The engine itself never creates files; tools and tests do it here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/errors.h"
#include "store/format.h"

namespace store {

struct NewField {
  std::string name;  // GBK
  FieldType type = FieldType::kInt;
  std::int32_t width = 0;  // text fields only
};

// Where the fields go: one after the other from offset 4, each field of 2
// or more bytes starting on a boundary of its size (at most 4), and the
// record size a multiple of 4. A 4-byte reference then never straddles two
// pages of the file, so writing it is a single step.
struct RecordLayout {
  std::vector<FieldDescriptor> fields;
  std::int32_t record_size = 0;
};
RecordLayout LayOut(const std::vector<NewField>& fields);

// The long-value file name for a new data file: ".lgt" when the data file's
// extension is in lower case, else ".LGT".
std::string NewLongValueFileName(const std::string& data_file_path);

// Creates the empty data file `path` (GBK) with `fields`, protected with
// `password` when it is not empty, and its long-value file when a field is
// a byte set or long text. Both are readable and writable by their owner
// only. Neither may exist beforehand (-2, or -50 for the long-value file).
// Field checks: -16 no fields, -17 bad type, -18 bad name (a letter or
// Chinese character, then letters, digits or Chinese characters, at most 16
// bytes), -19 bad text width, -20 two fields with one name.
ErrorNumber CreateDataFile(const std::string& path, const std::vector<NewField>& fields,
                           const std::string& password);

}  // namespace store
