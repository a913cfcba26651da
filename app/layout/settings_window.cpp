// The settings window "系统设定": shop name, order-inquiry number and where
// backups go.
#include "app/handlers.h"
#include "app/layout/windows.h"

namespace desk::layout {

using namespace forms::layout;

Window SettingsWindow() {
  Window window;
  window.serial = 0x024c;
  window.caption = "系统设定";
  window.rect = {50, 50, 380, 273};
  window.on_created = &FillSettings;
  window.units = {
      Label("店名标签", "店名：", {88, 24, 40, 24}),
      EditBox("店名编辑框", {128, 24, 192, 24}),
      Label("标签1", "查询订单号码：", {40, 56, 88, 24}),
      EditBox("查询号码编辑框", {128, 56, 192, 24}),
      Label("备份位置标签", "备份位置：", {64, 88, 64, 24}),
      // Empty: the folder "备份" beside the data files.
      EditBox("备份位置编辑框", {128, 88, 192, 24}).MaxLength(200),
      Button("修改店名", "确定修改", {240, 128, 80, 32}).OnClicked(&ApplySettings),
      Label("修改后的信息",
            "修改后的信息会在订单报表中体现！\r\n直接关闭本窗口，不会修改。\r\n关闭本软件后重新打开"
            "生效！",
            {19, 176, 192, 40}),
  };
  window.tab_order = {"店名编辑框", "查询号码编辑框", "备份位置编辑框", "修改店名"};
  window.enter_presses = {
      {"店名编辑框", "修改店名"}, {"查询号码编辑框", "修改店名"}, {"备份位置编辑框", "修改店名"}};
  window.escape_closes = true;
  return window;
}

}  // namespace desk::layout
