// The cancellation window "悔单操作": one order, its reason and refund. The
// labels captioned "标签" are filled with the order's values when it opens.
#include "app/handlers.h"
#include "app/layout/windows.h"

namespace desk::layout {

using namespace forms::layout;

Window CancellationWindow() {
  Window window;
  window.serial = 0x033a;
  window.caption = "悔单操作";
  window.rect = {50, 50, 445, 245};
  window.units = {
      Label("标签1", "订单号：", {8, 24, 64, 24}),
      Label("订单标签", "标签", {56, 24, 160, 24}),
      GroupBox(
          "分组框1", "悔单原因", {240, 24, 176, 112},
          {
              // The reason is stored in the after-sales description field.
              EditBox("编辑框1", {8, 16, 160, 88}).MultiLine().VerticalScrollBar().MaxLength(400),
          }),
      Label("淘宝标签", "标签", {56, 60, 160, 24}),
      Label("标签3", "淘宝号：", {8, 64, 56, 24}),
      Label("名称标签", "标签", {72, 93, 144, 24}),
      Label("标签8", "商品名称：", {8, 94, 80, 24}),
      Label("数量标签", "标签", {72, 118, 48, 24}),
      Label("标签9", "商品数量：", {8, 120, 72, 24}),
      Button("按钮1", "商品链接", {151, 126, 64, 64}).OnClicked(&OpenCancelledGoodsLink),
      Label("总价标签", "标签", {72, 144, 64, 24}),
      Label("标签10", "商品总价：", {8, 145, 80, 24}),
      Button("按钮2", "确认", {384, 152, 48, 32}).OnClicked(&ConfirmCancellation),
      Label("标签2", "退款：", {242, 160, 46, 24}),
      EditBox("编辑框2", {288, 160, 80, 20}).InputMode(input::kDigitsSignPoint),
      Label("订金标签", "标签", {56, 176, 56, 24}),
      Label("标签5", "订金：", {10, 178, 40, 24}),
  };
  // The reason, the refund, then 确认; the goods link last.
  window.tab_order = {"编辑框1", "编辑框2", "按钮2", "按钮1"};
  window.enter_presses = {{"编辑框2", "按钮2"}};
  window.escape_closes = true;
  return window;
}

std::vector<Window> AllWindows() {
  return {MainWindow(), SettingsWindow(), CancellationWindow(), RestoreWindow()};
}

}  // namespace desk::layout
