// Filling the marketplace number and goods name of the order form from the
// text the assistant copied from the marketplace's list of bought items.
#include <vector>

#include "app/desk_units.h"
#include "app/handlers.h"
#include "platform/gbk.h"
#include "runtime/system_commands.h"
#include "runtime/text_commands.h"

namespace desk {
namespace {

using platform::operator""_gbk;

constexpr UnitName kMarketplaceNumber = Main("淘宝单号");
constexpr UnitName kGoodsName = Main("商品名称");

// The word of the copied text that holds the goods name (1-based).
constexpr std::size_t kGoodsNameWord = 6;

}  // namespace

void ImportOrderText() {
  const runtime::Text text = runtime::GetClipboardText();
  if (text.empty()) {
    Ask("请进入淘宝-已买到的宝贝 复制订单信息！"_gbk, box::kStop, "获取信息失败"_gbk);
    return;
  }
  std::vector<runtime::Text> lines = runtime::SplitText(text, "\r\n");
  if (lines.size() < 2) {
    Ask("请进入淘宝-已买到的宝贝 复制订单信息！"_gbk, box::kStop, "获取宝贝信息失败"_gbk);
    return;
  }
  if (runtime::FindText(lines[0], "订单编号"_gbk) == -1) {
    Ask("订单内容未正确复制，请重新复制"_gbk, box::kStop, "获取宝贝信息失败"_gbk);
    return;
  }
  // The goods title on the second line may hold spaces: it stays one word.
  lines[1] = runtime::ReplaceSubText(lines[1], " ", {}, std::nullopt, std::nullopt, true);
  runtime::Text joined;
  for (const runtime::Text& line : lines) joined += " " + line;
  std::vector<runtime::Text> items;
  for (runtime::Text& word : runtime::SplitText(joined, " "))
    if (!word.empty()) items.push_back(std::move(word));
  // Fewer than six words cannot hold a goods name: the same message as a
  // text that does not start with the order number, and the form untouched.
  if (items.size() < kGoodsNameWord || runtime::FindText(items[0], "订单编号"_gbk) == -1) {
    Ask("订单内容复制错误，请重新复制"_gbk, box::kOk, "获取宝贝信息失败"_gbk);
    return;
  }
  items[0] =
      runtime::ReplaceSubText(items[0], "订单编号："_gbk, {}, std::nullopt, std::nullopt, true);
  WriteText(kMarketplaceNumber, items[0]);
  WriteText(kGoodsName, items[kGoodsNameWord - 1]);
}

}  // namespace desk
