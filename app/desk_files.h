// The order desk's three data files and their fields, as a new
// installation gets them, and the one routine that makes them empty (for
// `ldgtool init` and for the desk's first start in the user's data folder).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/creator.h"
#include "store/errors.h"

namespace desk {

struct DeskFile {
  std::string file_name;  // UTF-8, in the program directory
  std::vector<store::NewField> fields;
};

// The password that protects all three.
inline constexpr const char* kDeskPassword = "qkd3094716";

// The ledger, the customer book and the report book.
std::vector<DeskFile> DeskFiles();

// The first of the files that MakeDeskFiles would make (a data file or the
// long-value file one of them needs) that is in the folder `dir` (UTF-8)
// already, letter case aside; its path as UTF-8, or nullopt when none is.
std::optional<std::string> ExistingDeskFile(const std::string& dir);

struct MadeDeskFiles {
  std::vector<std::string> created;  // UTF-8 paths of the data files made, in order
  std::string existing;              // a file that was there already: nothing was made
  std::string failed;                // the file whose creation failed
  store::ErrorNumber error = store::error::kOk;
  bool ok() const { return existing.empty() && failed.empty(); }
};

// Makes the three empty data files, protected with the desk's password, in
// the folder `dir` (UTF-8), each readable and writable by its owner only.
// Nothing is made when any of them exists already; a creation that fails
// stops there, with the files made before it listed.
MadeDeskFiles MakeDeskFiles(const std::string& dir);

}  // namespace desk
