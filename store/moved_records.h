// What a purge leaves behind when it is cut short while moving records.
//
// A purge moves the surviving records down in place. Until it has cut the
// file, a record it has moved is in the file twice: at its new place and
// (or, when the write that moved it was torn, partly at its new place and
// wholly at) its old one. Before the first move the purge therefore puts a
// mark beyond the counted records: one whole record whose serial number is
// 0, which no append ever writes. The purge's final cut removes the mark;
// a mark still there tells the next read-write open (or the next write in
// the same process) that copies must be dropped.
//
// Serial numbers are never reused, so two live records with the same serial
// are two copies of one. Moves only go down the file and the write that
// makes a copy is the one that can be torn, so the last copy in the file is
// always whole: the earlier ones are turned into blank deleted records,
// which the next purge removes.
#pragma once

#include <cstdint>
#include <span>

#include "store/cipher_file.h"
#include "store/errors.h"

namespace store {

// Where the records of a data file lie.
struct RecordArea {
  std::uint64_t data_start = 0;
  std::int32_t record_size = 0;

  std::uint64_t Offset(std::int32_t index) const {
    return data_start + static_cast<std::uint64_t>(index) * static_cast<std::uint64_t>(record_size);
  }
};

// Writes the mark right after the `count` counted records.
ErrorNumber WritePurgeMark(CipherFile& file, const RecordArea& area, std::int32_t count);

// Whether `trailer`, the bytes after the counted records, is the mark.
bool IsPurgeMark(std::span<const std::uint8_t> trailer, const RecordArea& area);

// Turns every live record of the first `count` that has a later live copy
// into a blank deleted record. Each is emptied before it is marked deleted,
// so that no deleted record ever shares a long value with a live one (a
// purge would release it): a process killed in between leaves the copy
// live (and the later copy whole), and the mark makes the next open drop
// it again.
ErrorNumber DropEarlierCopies(CipherFile& file, const RecordArea& area, std::int32_t count);

// The same for a caller that knows the serial numbers of the first records
// as they are now, without reading them.
ErrorNumber DropEarlierCopiesOf(CipherFile& file, const RecordArea& area,
                                std::span<const std::int32_t> serials);

}  // namespace store
