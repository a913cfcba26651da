// Rebuilding a damaged data file and its long-value file from what they
// still hold, for the times an open refuses them.
//
// What can be rebuilt is rebuilt: the record size from the fields and the
// file's size, the record count from the file's size, the next serial number
// from the serials in use, and the long-value file's header and free list
// from the chains that records reference. Whatever cannot be made sound is
// left as it was, with the reason.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/errors.h"

namespace store {

struct RepairResult {
  // 0 when the files were read and rewritten as far as needed; otherwise
  // why nothing was changed (the password, a header that is not a data
  // file's, fields that cannot be read).
  ErrorNumber error = error::kOk;
  // What was wrong and what was done about it, one line each (UTF-8).
  std::vector<std::string> changes;
  // What could not be mended (UTF-8).
  std::vector<std::string> unmended;
};

// Runs with the files' full paths (GBK; the long-value file's empty when
// there is none) once both are open with nobody else writing and before
// anything is written; false stops the repair with nothing changed.
using BeforeRepair =
    std::function<bool(const std::string& data_path, const std::string& long_value_path)>;

// Repairs `gbk_path` (a data file name, the default extension applied) and
// its long-value file in place. `before` is where the caller copies them
// aside.
RepairResult RepairDatabase(const std::string& gbk_path, const std::optional<std::string>& password,
                            const BeforeRepair& before);

}  // namespace store
