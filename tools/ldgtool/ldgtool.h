// ldgtool: create, inspect, check and load the record store's data files
// from the command line, with the record store itself.
//
//   ldgtool init DIR
//   ldgtool create FILE [--password P] FIELD...
//   ldgtool info FILE [--password P]
//   ldgtool dump FILE [--password P]
//   ldgtool import FILE [--password P] < TSV
//   ldgtool verify FILE [--password P]
//
// Arguments, input and output are UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ldgtool {

// Runs one command (`args` without the program name). Returns the exit
// status: 0 success; 1 failure (for verify: the file has problems); 2 a
// usage error (for verify: the file cannot be opened).
int RunLdgTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

}  // namespace ldgtool
