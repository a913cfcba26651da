// The ledger's fields by number, the order status words, and the one way the
// pages write a field of the current record.
#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>

#include "runtime/value.h"

namespace desk::ledger {

// Fields of a ledger record (1-based); one record per order item.
constexpr int kOrderNumber = 1;
constexpr int kMarketplaceNumber = 2;
constexpr int kGoodsName = 3;
constexpr int kQuantity = 4;
constexpr int kGoodsTotal = 5;
constexpr int kFee = 6;
constexpr int kDeposit = 7;
constexpr int kCustomerName = 8;
constexpr int kContact = 9;
constexpr int kSpare = 10;  // written empty with a new order, never read
constexpr int kOrderTime = 11;
constexpr int kArrivalTime = 12;  // the cancellation time once cancelled
constexpr int kPickupTime = 13;
constexpr int kCollector = 14;  // "退款" and the refund once cancelled
constexpr int kAfterSalesSent = 15;
constexpr int kAfterSalesNote = 16;  // the reason once cancelled
constexpr int kAfterSalesBack = 17;  // the collection time once collected
constexpr int kStatus = 18;
constexpr int kGoodsLink = 20;
constexpr int kBalancePaid = 21;
constexpr int kRefund = 22;

// The writes to the current record, which shows the order `order_number`.
// The first write that fails is reported (which order, what was not saved,
// the record store's reason) and gives false; the caller stops there.
class OrderWrites {
 public:
  explicit OrderWrites(runtime::Text order_number) : order_number_(std::move(order_number)) {}
  bool Write(int field, const runtime::Value& value) const;
  // The writes of one step of an order's life, in order. Every text is
  // checked to fit its field before the first is written, so a text that
  // is too long leaves the record as it was, not half changed.
  bool WriteAll(std::initializer_list<std::pair<int, runtime::Value>> writes) const;

 private:
  runtime::Text order_number_;
};

// "订单“NUMBER”", how the messages name an order.
runtime::Text OrderWord(std::string_view order_number);

// The current record's field as a number (any numeric field type) or as
// text.
double NumberField(int field);
runtime::Text TextField(int field);

}  // namespace desk::ledger
