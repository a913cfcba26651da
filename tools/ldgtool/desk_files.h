// The order desk's three data files and their fields, as a new
// installation gets them.
#pragma once

#include <string>
#include <vector>

#include "store/creator.h"

namespace ldgtool {

struct DeskFile {
  std::string file_name;  // UTF-8, in the program directory
  std::vector<store::NewField> fields;
};

// The password that protects all three.
inline constexpr const char* kDeskPassword = "qkd3094716";

// The ledger, the customer book and the report book.
std::vector<DeskFile> DeskFiles();

}  // namespace ldgtool
