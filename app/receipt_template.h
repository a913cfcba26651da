// The receipt every new order starts from: a report table of 10 rows and 4
// columns in its serialised form, as the order form loads it into its data
// source.
//
//   row 1      the shop name (黑体, centred), one merged block over the row
//   rows 2, 3  "代购订单号：" and "下单时间：", their values merged over
//              columns 2-4 (the order number in Arial)
//   rows 4, 5  "姓名：" and "备注：", each merged over the whole row; a line
//              under row 5
//   row 6      the column heads 商品名称, 数量, 应收款, 收定金, lined below
//   rows 7-10  empty cells lined on all four edges
//
// Sizes in tenths of a millimetre: row heights 105 then 59; column widths
// 318, 142, 169, 176; margins 10 mm.
#pragma once

#include <cstdint>
#include <span>

namespace desk {

// The template's bytes, fixed for the whole run.
std::span<const std::uint8_t> ReceiptTemplate();

}  // namespace desk
