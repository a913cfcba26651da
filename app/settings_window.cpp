// The settings window "系统设定": the shop name and the order-inquiry number,
// kept in "配置.ini" and taking effect at once.
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/order_form.h"
#include "app/run_values.h"
#include "platform/folders.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "runtime/system_commands.h"

namespace desk {
namespace {

using platform::operator""_gbk;

constexpr UnitName kShopNameBox = Settings("店名编辑框");
constexpr UnitName kInquiryNumberBox = Settings("查询号码编辑框");
constexpr UnitName kBackupFolderBox = Settings("备份位置编辑框");

runtime::Text SettingsFile() { return ProgramFile("配置.ini"_gbk); }

// A value the settings file gives back unchanged at the next start: one
// line, within the reader's limit.
bool ReadsBackAsTyped(std::string_view value) {
  return value.find_first_of("\r\n") == std::string_view::npos &&
         value.size() <= platform::kIniValueLimit;
}

}  // namespace

void OpenSettingsWindow() {
  Command("LoadWindow", {UnitValue(kSettingsWindowUnit), {}, runtime::Value::Bool(true)});
}

void FillSettings() {
  WriteText(kShopNameBox,
            runtime::ReadIniItem(SettingsFile(), "店名"_gbk, "店名"_gbk, "代购店"_gbk));
  WriteText(kInquiryNumberBox, runtime::ReadIniItem(SettingsFile(), "订单查询号码"_gbk,
                                                    "订单查询号码"_gbk, "888888888"));
  WriteText(kBackupFolderBox,
            runtime::ReadIniItem(SettingsFile(), "备份"_gbk, "位置"_gbk, runtime::Text()));
}

void ApplySettings() {
  if (ReadText(kShopNameBox).empty()) {
    Ask("请正确输入店名！"_gbk, box::kYesNo);
    return;
  }
  if (ReadText(kInquiryNumberBox).empty()) {
    Ask("请正确输入订单查询号码！"_gbk, box::kYesNo);
    return;
  }
  const runtime::Text backup_folder = ReadText(kBackupFolderBox);
  if (!ReadsBackAsTyped(ReadText(kShopNameBox)) || !ReadsBackAsTyped(ReadText(kInquiryNumberBox)) ||
      !ReadsBackAsTyped(backup_folder)) {
    Ask("店名或订单查询号码无法原样存入配置.ini：不能有换行，最长 10239 个字节。\r\n"
        "请改正后再确定。"_gbk,
        box::kStop, "设置没有保存"_gbk);
    return;
  }
  ShopName = ReadText(kShopNameBox);
  InquiryNumber = ReadText(kInquiryNumberBox);
  WriteText(kMainWindowUnit, ShopName);
  // A file that cannot be written leaves the new values in force until the
  // program ends; the assistant is told so rather than finding out at the
  // next start.
  const bool name_written = runtime::WriteIniItem(SettingsFile(), "店名"_gbk, "店名"_gbk, ShopName);
  const bool number_written =
      runtime::WriteIniItem(SettingsFile(), "订单查询号码"_gbk, "订单查询号码"_gbk, InquiryNumber);
  const bool folder_written =
      runtime::WriteIniItem(SettingsFile(), "备份"_gbk, "位置"_gbk, backup_folder);
  if (!name_written || !number_written || !folder_written)
    Ask("无法写入配置.ini，新的设置只在本次运行中有效，下次启动时仍是原来的设置。"_gbk, box::kStop);
  // A stick that is not plugged in now may be there at the next backup:
  // the folder is kept, and the assistant told.
  if (!backup_folder.empty() && !platform::MakeFolders(backup_folder))
    Ask("备份位置“"_gbk + backup_folder +
            "”现在打不开（U盘没插上，或没有写入权限？）。\r\n设置已保存，备份时会再试。"_gbk,
        box::kStop, "备份位置"_gbk);
  SetReceiptCell(1, 1, ShopName);
  Command("CloseWindow", {UnitValue(kSettingsWindowUnit)});
}

}  // namespace desk
