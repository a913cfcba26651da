// The fund page: over a date range, the deposits taken on the orders placed,
// the balances collected at pickup and the refunds paid, and the cash that
// results, each in figures and in words.
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/ledger_fields.h"
#include "app/record_lists.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "runtime/money.h"

namespace desk {

using platform::operator""_gbk;
using runtime::Text;

namespace {

Text SummaryLine(const Text& heading, double amount) {
  return heading + runtime::ToText(runtime::Value::Double(amount)) + "元    大写："_gbk +
         runtime::NumberToMoney(amount, false);
}

}  // namespace

void QueryFunds() {
  FillExtras extras;
  extras.range = PickerRange("资金开始日期框", "资金结束日期框");
  extras.show_empty_message = false;
  WriteText(Main("订金统计"), {});
  WriteText(Main("余款统计"), {});
  double deposits = 0, balances = 0, refunds = 0;

  // A refund counts with the order's placing, not its cancelling: the
  // cancelled order's deposit is among the deposits and goes back as a refund.
  extras.on_listed = [&] {
    if (ledger::TextField(ledger::kStatus) == "悔单"_gbk)
      refunds += ledger::NumberField(ledger::kRefund);
    deposits += ledger::NumberField(ledger::kDeposit);
  };
  FillRecordList(ListId::kFundDeposits, extras);

  extras.on_listed = [&] { balances += ledger::NumberField(ledger::kBalancePaid); };
  FillRecordList(ListId::kFundPickups, extras);

  WriteText(Main("订金统计"), SummaryLine("定金合计："_gbk, deposits));
  WriteText(Main("余款统计"), SummaryLine("提货付余款合计："_gbk, balances));
  WriteText(Main("退款统计"), SummaryLine("退款合计："_gbk, refunds));
  WriteText(Main("现金统计"), SummaryLine("现金合计："_gbk, deposits + balances - refunds));
}

}  // namespace desk
