// The window "恢复数据": the backups there are, newest first, and the button
// that puts the chosen one in place of the data in use.
#include "app/handlers.h"
#include "app/layout/windows.h"

namespace desk::layout {

using namespace forms::layout;

Window RestoreWindow() {
  Window window;
  window.serial = 0x0450;
  window.caption = "恢复数据";
  window.rect = {50, 50, 600, 340};
  window.on_created = &FillBackupList;
  window.units = {
      Label("恢复说明",
            "选中一份备份，再按“恢复所选备份”。\r\n现在的数据文件先移到数据文件夹里的"
            "“备份\\replaced-时间”文件夹保存，不会删除。",
            {12, 8, 570, 36}),
      ListView("备份列表", {12, 48, 570, 208},
               {{"备份时间", 150}, {"订单", 60}, {"客户", 60}, {"小票", 60}, {"文件夹", 230}}),
      Button("恢复所选备份", "恢复所选备份", {330, 266, 120, 32}).OnClicked(&RestoreChosenBackup),
      Button("关闭恢复窗口", "关闭", {462, 266, 120, 32}).OnClicked(&CloseRestoreWindow),
  };
  window.tab_order = {"备份列表", "恢复所选备份", "关闭恢复窗口"};
  window.escape_closes = true;
  return window;
}

}  // namespace desk::layout
