// A record held while a page changes it: its lock is taken, so another desk
// on the same files can neither read nor write it meanwhile, and the record
// is checked to be still the one the list showed, in the state it was listed
// with. The lists keep record numbers and statuses from their last fill; by
// the time the assistant acts, another desk (or another page of this one)
// may have handed the order over or cancelled it.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/value.h"

namespace store {
class Database;
}

namespace desk {

class HeldRecord {
 public:
  // Takes the lock of the current database's current record. `what` names
  // the record for the messages (GBK, e.g. "订单“A001”"). A lock that cannot
  // be taken is reported as a write that failed.
  explicit HeldRecord(runtime::Text what);
  ~HeldRecord();
  HeldRecord(const HeldRecord&) = delete;
  HeldRecord& operator=(const HeldRecord&) = delete;

  // True while the lock is held and every Expect so far has held. A failed
  // Expect is reported: the record changed since the list was filled, and
  // nothing was saved.
  bool Expect(int field, std::string_view text);
  // The same, for a field that must no longer hold `text`.
  bool ExpectNot(int field, std::string_view text);
  bool held() const { return held_; }

 private:
  bool Check(int field, std::string_view text, bool equal);

  runtime::Text what_;
  store::Database* db_ = nullptr;
  std::int32_t index_ = -1;
  bool locked_ = false;
  bool held_ = false;
};

}  // namespace desk
