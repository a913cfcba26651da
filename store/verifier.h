// A full check of an open data file and its long-value file, beyond the
// checks made on opening: every record's serial number, every long-value
// chain and the free list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/database.h"

namespace store {

struct VerifyResult {
  // What is wrong, one line each (UTF-8); empty when the files are sound.
  std::vector<std::string> problems;
  // What is worth knowing but harmless, such as blocks that belong to no
  // chain and are not on the free list.
  std::vector<std::string> notes;
  std::int32_t records = 0;
  std::int32_t chains = 0;
};

// Walks the whole file under the whole-database lock.
VerifyResult VerifyDatabase(Database& db);

}  // namespace store
