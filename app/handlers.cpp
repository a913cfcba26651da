#include "app/handlers.h"

#include <array>

#include "app/record_lists.h"
#include "app/run_values.h"
#include "runtime/error_report.h"

namespace desk {

namespace {

// The exit routine: the run-wide values and the record lists' row maps go.
void ExitOrderDesk() {
  ExitDesk();
  ResetRecordLists();
}

}  // namespace

std::span<const forms::layout::Handler> HandlerTable() {
#define ORDERDESK_TABLE_ENTRY(name) &name,
  static constexpr std::array kTable = {ORDERDESK_HANDLERS(ORDERDESK_TABLE_ENTRY)};
#undef ORDERDESK_TABLE_ENTRY
  return kTable;
}

void InitialiseDesk() {
  CreateRunValues();
  ResetRecordLists();
  runtime::SetExitHandler(&ExitOrderDesk);
}

}  // namespace desk
