#include "app/held_record.h"

#include <utility>

#include "app/desk_units.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "store/database.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;

HeldRecord::HeldRecord(runtime::Text what) : what_(std::move(what)) {
  db_ = store::Databases().current();
  if (db_ == nullptr) {
    ReportFailedWrite(what_, store::error::kNoCurrentDatabase);
    return;
  }
  index_ = db_->cursor();
  const store::ErrorNumber error = db_->LockRecord(index_);
  if (error != store::error::kOk) {
    ReportFailedWrite(what_, error);
    return;
  }
  locked_ = held_ = true;
}

HeldRecord::~HeldRecord() {
  if (locked_) db_->UnlockRecord(index_);
}

bool HeldRecord::Expect(int field, std::string_view text) { return Check(field, text, true); }

bool HeldRecord::ExpectNot(int field, std::string_view text) { return Check(field, text, false); }

bool HeldRecord::Check(int field, std::string_view text, bool equal) {
  if (!held_) return false;
  const runtime::Value value = store::ReadField(field);
  if (store::LastError() != store::error::kOk) {
    ReportFailedWrite(what_);
    held_ = false;
    return false;
  }
  const runtime::Text now = runtime::ToText(value);
  if ((now == text) == equal) return true;
  Ask(what_ + "刚被改过，现在是“"_gbk + now + "”，这次没有保存。\r\n请重新查找后再操作。"_gbk,
      box::kStop, "记录已改动"_gbk);
  held_ = false;
  return false;
}

}  // namespace desk
