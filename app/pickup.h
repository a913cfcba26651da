// Pickup: the balance a customer still owes when collecting an order.
#pragma once

namespace desk {

// Amounts whose size is at most this count as zero.
constexpr double kZeroAmount = 1e-7;

// What the customer still owes: the goods total and the shop's fee, less
// the deposit paid when the order was taken. Negative when the deposit was
// more than both.
double BalanceDue(double goods_total, double fee, double deposit);

}  // namespace desk
