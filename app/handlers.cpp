#include "app/handlers.h"

#include <array>

#include "runtime/error_report.h"

namespace desk {
namespace {

// Releases the order desk's run-wide values at the program's normal end.
void ExitDesk() {}

}  // namespace

// The handlers whose pages are not written yet do nothing.
#define ORDERDESK_EMPTY_HANDLER(name) \
  void name() {}
ORDERDESK_HANDLERS(ORDERDESK_EMPTY_HANDLER)
#undef ORDERDESK_EMPTY_HANDLER

std::span<const forms::layout::Handler> HandlerTable() {
#define ORDERDESK_TABLE_ENTRY(name) &name,
  static constexpr std::array kTable = {ORDERDESK_HANDLERS(ORDERDESK_TABLE_ENTRY)};
#undef ORDERDESK_TABLE_ENTRY
  return kTable;
}

void InitialiseDesk() { runtime::SetExitHandler(&ExitDesk); }

}  // namespace desk
