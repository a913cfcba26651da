#include "app/handlers.h"

#include <array>

#include "app/run_values.h"
#include "runtime/error_report.h"

namespace desk {

// The handlers whose page module is not written yet do nothing. One line
// each: the module that defines a handler takes its line away.
void TabClicked() {}
void CopyOrderNumber() {}
void CopyMarketplaceNumber() {}
void ViewGoodsLink() {}
void OpenCancellationWindow() {}
void DeleteCustomer() {}
void QueryByName() {}
void QueryByOrderNumber() {}
void QueryByDate() {}
void QueryListRightClicked() {}
void FindArrivals() {}
void TickAllArrivals() {}
void InvertArrivalTicks() {}
void ConfirmArrivals() {}
void ConfirmPickup() {}
void FindPickups() {}
void QueryAfterSales() {}
void AfterSalesPickup() {}
void ConfirmAfterSalesArrival() {}
void SubmitAfterSalesNote() {}
void FindCustomer() {}
void CustomerListRightClicked() {}
void AddCustomer() {}
void QueryFunds() {}
void OpenCancelledGoodsLink() {}
void ConfirmCancellation() {}

std::span<const forms::layout::Handler> HandlerTable() {
#define ORDERDESK_TABLE_ENTRY(name) &name,
  static constexpr std::array kTable = {ORDERDESK_HANDLERS(ORDERDESK_TABLE_ENTRY)};
#undef ORDERDESK_TABLE_ENTRY
  return kTable;
}

void InitialiseDesk() {
  CreateRunValues();
  runtime::SetExitHandler(&ExitDesk);
}

}  // namespace desk
