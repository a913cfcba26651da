#include "store/moved_records.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "store/format.h"

namespace store {
namespace {

// Records read at once while copies are looked for.
constexpr std::size_t kBatchBytes = 163840;

ErrorNumber Write(CipherFile& file, std::uint64_t offset, std::span<const std::uint8_t> data) {
  return FileErrorNumber(file.WriteAt(offset, data));
}

}  // namespace

ErrorNumber WritePurgeMark(CipherFile& file, const RecordArea& area, std::int32_t count) {
  const std::vector<std::uint8_t> mark(static_cast<std::size_t>(area.record_size), 0);
  return Write(file, area.Offset(count), mark);
}

bool IsPurgeMark(std::span<const std::uint8_t> trailer, const RecordArea& area) {
  return trailer.size() == static_cast<std::size_t>(area.record_size) && trailer.size() >= 4 &&
         LoadI32(trailer.data()) == 0;
}

ErrorNumber DropEarlierCopies(CipherFile& file, const RecordArea& area, std::int32_t count) {
  const auto size = static_cast<std::size_t>(area.record_size);
  const std::size_t batch = std::max<std::size_t>(1, kBatchBytes / size);
  std::vector<std::int32_t> serials(static_cast<std::size_t>(std::max(count, 0)));
  std::vector<std::uint8_t> buffer;
  for (std::size_t first = 0; first < serials.size(); first += batch) {
    const std::size_t n = std::min(batch, serials.size() - first);
    buffer.resize(n * size);
    platform::FileError read =
        file.ReadExactly(area.Offset(static_cast<std::int32_t>(first)), buffer);
    if (read == platform::FileError::kEndOfFile) return error::kReadRecordFailed;
    if (read != platform::FileError::kNone) return FileErrorNumber(read);
    for (std::size_t j = 0; j < n; ++j) serials[first + j] = LoadI32(buffer.data() + j * size);
  }
  return DropEarlierCopiesOf(file, area, serials);
}

ErrorNumber DropEarlierCopiesOf(CipherFile& file, const RecordArea& area,
                                std::span<const std::int32_t> serials) {
  const auto size = static_cast<std::size_t>(area.record_size);
  std::unordered_map<std::int32_t, std::size_t> last;
  for (std::size_t index = 0; index < serials.size(); ++index)
    if (serials[index] > 0) last[serials[index]] = index;

  const std::vector<std::uint8_t> empty(size - 4, 0);
  for (std::size_t index = 0; index < serials.size(); ++index) {
    const std::int32_t serial = serials[index];
    if (serial <= 0 || last[serial] == index) continue;
    const std::uint64_t at = area.Offset(static_cast<std::int32_t>(index));
    ErrorNumber result = Write(file, at + 4, empty);
    if (result != error::kOk) return result;
    std::uint8_t mark[4];
    StoreI32(mark, -serial);
    result = Write(file, at, mark);
    if (result != error::kOk) return result;
  }
  return error::kOk;
}

}  // namespace store
