// Builds a receipt through the data-source commands the way the order form
// does: the template, the shop name and order number, then items one by one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace report::testing {

using CommandCall = std::function<runtime::Value(const std::string&, std::vector<runtime::Value>)>;

struct ReceiptItem {
  std::string name, quantity, receivable, paid;  // GBK texts as typed
};

// Loads the template into `source` and writes the shop name and the order
// number.
void StartReceipt(const CommandCall& call, const runtime::Value& source, const std::string& shop,
                  const std::string& order_number);

// Adds the item at item row `row` (7 for the first) with the running totals
// the form keeps, as the add button does.
void AddReceiptItem(const CommandCall& call, const runtime::Value& source, int row,
                    const ReceiptItem& item, double total_receivable, double total_paid);

// A receipt of two items for shop "小林代购" and order "DG20080501001".
void BuildTwoItemReceipt(const CommandCall& call, const runtime::Value& source);

// A receipt of the hardest texts a shop meets: a shop name of 20
// characters, the longest date-time, long customer and remark lines, goods
// names of 10 bytes and more, amounts of 8 digits before the point and a
// debt of 8 digits.
void BuildHardReceipt(const CommandCall& call, const runtime::Value& source);

}  // namespace report::testing
