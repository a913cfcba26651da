// Amounts in Chinese money words, as receipts and the order form show them
// ("人民币大写：").
#pragma once

#include "runtime/value.h"

namespace runtime {

// `amount` in money words, rounded half up to the fen: 1234.5 gives
// 壹仟贰佰叁拾肆元伍角整, 1000001 gives 壹佰万零壹元整, -3 gives 负叁元整.
// An amount that rounds to zero gives 零 alone; one of 10 000 000 000 000 yuan
// or more (in fen above 999 999 999 999 999) gives "溢出". `simplified`
// chooses the everyday digits and units (一二三, 十百千) instead of the
// formal ones (壹贰叁, 拾佰仟).
Text NumberToMoney(double amount, bool simplified);

}  // namespace runtime
