// The order desk's event handlers: one per event binding of the window
// layout (app/layout/), each taking no arguments and returning nothing. The
// window template binds them by their offset in HandlerTable(); the layout
// source names them, so `grep 添加 app/layout` lands on the binding.
//
// Each handler is defined once, in the module of its page (app/order_form.cpp,
// ...); the ones whose page has no module yet are empty, one line each in
// handlers.cpp. The pages share the run-wide values (run_values.h) and the
// unit access (desk_units.h).
#pragma once

#include <span>

#include "forms/layout.h"

// X(handler) for every handler, in table order. Append new handlers at the
// end: a handler's place in this list is its offset in the template.
#define ORDERDESK_HANDLERS(X)      \
  /* main window */                \
  X(StartUp)                       \
  X(TabClicked)                    \
  X(OpenSettingsWindow)            \
  X(CopyOrderNumber)               \
  X(CopyMarketplaceNumber)         \
  X(ViewGoodsLink)                 \
  X(OpenCancellationWindow)        \
  X(ChooseCustomer)                \
  X(DeleteCustomer)                \
  /* order form */                 \
  X(RemarkChanged)                 \
  X(GoChooseCustomer)              \
  X(OrderNumberChanged)            \
  X(CustomerNameChanged)           \
  X(ContactChanged)                \
  X(ImportOrderText)               \
  X(FeeChanged)                    \
  X(UnitPriceChanged)              \
  X(QuantityChanged)               \
  X(PaidChanged)                   \
  X(FreightChanged)                \
  X(NewOrder)                      \
  X(AddItem)                       \
  X(ClearItemBoxes)                \
  X(TestLink)                      \
  X(SaveReceipt)                   \
  X(PreviewReceipt)                \
  X(PrintReceipt)                  \
  /* queries */                    \
  X(QueryByName)                   \
  X(QueryByOrderNumber)            \
  X(QueryByDate)                   \
  X(QueryListRightClicked)         \
  /* arrival */                    \
  X(FindArrivals)                  \
  X(TickAllArrivals)               \
  X(InvertArrivalTicks)            \
  X(ConfirmArrivals)               \
  /* pickup */                     \
  X(ConfirmPickup)                 \
  X(FindPickups)                   \
  /* after-sales */                \
  X(QueryAfterSales)               \
  X(AfterSalesPickup)              \
  X(ConfirmAfterSalesArrival)      \
  X(SubmitAfterSalesNote)          \
  /* reports */                    \
  X(QueryReport)                   \
  X(ReportOrderNumberChanged)      \
  X(PreviewReport)                 \
  X(PrintReport)                   \
  /* customers */                  \
  X(FindCustomer)                  \
  X(CustomerListRightClicked)      \
  X(AddCustomer)                   \
  /* funds */                      \
  X(QueryFunds)                    \
  /* settings window */            \
  X(FillSettings)                  \
  X(ApplySettings)                 \
  /* cancellation window */        \
  X(OpenCancelledGoodsLink)        \
  X(ConfirmCancellation)           \
  /* customer list */              \
  X(CustomerListDoubleClicked)     \
  /* export of the lists */        \
  X(ExportShownList)               \
  X(ArrivalListRightClicked)       \
  X(PickupListRightClicked)        \
  X(AfterSalesListRightClicked)    \
  X(DepositListRightClicked)       \
  X(PickupBalanceListRightClicked) \
  /* backups */                    \
  X(BackUpNow)                     \
  X(OpenRestoreWindow)             \
  X(FillBackupList)                \
  X(RestoreChosenBackup)           \
  X(CloseRestoreWindow)

namespace desk {

#define ORDERDESK_DECLARE_HANDLER(name) void name();
ORDERDESK_HANDLERS(ORDERDESK_DECLARE_HANDLER)
#undef ORDERDESK_DECLARE_HANDLER

// Every handler, in template-offset order.
std::span<const forms::layout::Handler> HandlerTable();
// The same handlers as the running desk calls them, in the same order: each
// ends with what it wrote made durable.
std::span<const forms::layout::Handler> RunningHandlerTable();

// Start-up of the order desk before the main window loads: its run-wide
// values are created and its exit routine registered.
void InitialiseDesk();

}  // namespace desk
