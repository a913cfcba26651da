#include "forms/ids.h"

namespace forms::unit_type {

bool IsKnown(std::uint32_t code) {
  switch (code) {
    case kWindow:
    case kMenu:
    case kEditBox:
    case kGroupBox:
    case kLabel:
    case kButton:
    case kComboBox:
    case kTab:
    case kDatePicker:
    case kGrid:
    case kDataSrc:
    case kNProvider:
    case kListView:
      return true;
    default:
      return false;
  }
}

const char* Name(std::uint32_t code) {
  switch (code) {
    case kWindow:
      return "窗口";
    case kMenu:
      return "菜单";
    case kEditBox:
      return "编辑框";
    case kGroupBox:
      return "分组框";
    case kLabel:
      return "标签";
    case kButton:
      return "按钮";
    case kComboBox:
      return "组合框";
    case kTab:
      return "选择夹";
    case kDatePicker:
      return "日期框";
    case kGrid:
      return "表格";
    case kDataSrc:
      return "数据源";
    case kNProvider:
      return "通用提供者";
    case kListView:
      return "超级列表框";
    default:
      return "";
  }
}

}  // namespace forms::unit_type
