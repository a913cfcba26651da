// The order form (page 0 of the main window): the item being entered, its
// amounts, and the customer's receipt in `下单数据源`. The steps other pages
// share live here once.
#pragma once

#include <cstdint>
#include <string_view>

namespace desk {

// Sets the text of cell (row, column) of the receipt, 1-based (GBK).
void SetReceiptCell(std::int32_t row, std::int32_t column, std::string_view text);

// Starts an empty receipt: the order number and link emptied, the receipt
// template loaded with the shop name, the receipt buttons back to the
// empty-receipt state. Does nothing unless the order form is the current page.
void ResetOrderForm();

// Empties the item boxes; through their change handlers the form ends with
// quantity 1, freight, fee and unit price 0. The order number, customer,
// remark and receipt are kept.
void ClearOrderItemBoxes();

}  // namespace desk
