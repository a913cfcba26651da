#include "app/handlers.h"

#include <array>

#include "app/durable.h"
#include "app/record_lists.h"
#include "app/run_values.h"
#include "runtime/error_report.h"
#include "store/record_store.h"

namespace desk {

namespace {

// The exit routine: the run-wide values and the record lists' row maps go.
void ExitOrderDesk() {
  ExitDesk();
  ResetRecordLists();
}

// Every handler ends with what it wrote made durable (one sync per file it
// wrote): the lists and boxes it leaves behind tell the assistant it is
// done, and a power cut after that must not take it back.
template <forms::layout::Handler handler>
void Durably() {
  handler();
  MakeDurable();
}

}  // namespace

std::span<const forms::layout::Handler> HandlerTable() {
#define ORDERDESK_TABLE_ENTRY(name) &name,
  static constexpr std::array kTable = {ORDERDESK_HANDLERS(ORDERDESK_TABLE_ENTRY)};
#undef ORDERDESK_TABLE_ENTRY
  return kTable;
}

std::span<const forms::layout::Handler> RunningHandlerTable() {
#define ORDERDESK_TABLE_ENTRY(name) &Durably<&name>,
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
