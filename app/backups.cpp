#include "app/backups.h"

#include <cstdio>

#include "app/desk_backup.h"
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/list_units.h"
#include "app/order_form.h"
#include "app/run_values.h"
#include "app/start_up.h"
#include "app/status_line.h"
#include "forms/form_runtime.h"
#include "platform/gbk.h"
#include "runtime/system_commands.h"
#include "store/record_store.h"

namespace desk {
namespace {

using platform::LocalTime;
using platform::operator""_gbk;

constexpr int kWarnAfterDays = 7;

std::string Gbk(const std::string& utf8) { return platform::Utf8ToGbk(utf8); }

std::string DataFolder() { return platform::GbkToUtf8(ProgramDirectory, false); }

LocalTime Now() { return platform::Current().clock->Now(); }

// Days since 1970-01-01 of a civil date.
long DayNumber(const LocalTime& t) {
  const int y = t.year - (t.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<long>(era) * 146097 + doe - 719468;
}

std::string DateText(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string TimeText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

BackupOutcome BackUp() {
  // A ledger of years takes a moment to copy and check.
  std::unique_ptr<platform::ProgressWindow> progress =
      platform::Current().dialogs->OpenProgress("备份数据"_gbk, "正在备份订单、客户和小票……"_gbk);
  BackupRequest request;
  if (progress) {
    // Lets the windows under it paint before the copying begins.
    progress->Show(0);
    request.progress = [&progress](std::uint64_t done, std::uint64_t total) {
      if (total > 0) progress->Show(static_cast<int>(done * 100 / total));
    };
  }
  request.dir = DataFolder();
  request.destination = BackupDestination();
  request.when = Now();
  return MakeBackup(request);
}

std::string CountsText(const BackupCounts& counts) {
  return "订单 " + std::to_string(counts.orders) + " 个（" + std::to_string(counts.items) +
         " 条记录），客户 " + std::to_string(counts.customers) + " 位，小票 " +
         std::to_string(counts.receipts) + " 张";
}

runtime::Text SettingsFile() { return ProgramFile("配置.ini"_gbk); }

// The desk's own record of its last good backup, apart from the shop's
// settings so that those change only when the assistant changes them.
runtime::Text BackupRecordFile() { return ProgramFile("备份记录.ini"_gbk); }

void RecordGoodBackup(const LocalTime& when) {
  runtime::WriteIniItem(BackupRecordFile(), "备份"_gbk, "最近成功"_gbk, Gbk(TimeText(when)));
}

std::optional<LocalTime> LastGoodBackup() {
  const runtime::Text text =
      runtime::ReadIniItem(BackupRecordFile(), "备份"_gbk, "最近成功"_gbk, runtime::Text());
  LocalTime t;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                  &t.second) != 6 ||
      t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31)
    return std::nullopt;
  return t;
}

}  // namespace

std::string BackupDestination() {
  const runtime::Text chosen =
      runtime::ReadIniItem(SettingsFile(), "备份"_gbk, "位置"_gbk, runtime::Text());
  if (!chosen.empty()) return platform::GbkToUtf8(chosen, false);
  return DefaultBackupFolder(DataFolder());
}

void MakeDailyBackup() {
  const LocalTime today = Now();
  const std::string destination = BackupDestination();
  if (std::optional<LocalTime> made = NewestBackup(destination))
    if (DayNumber(*made) == DayNumber(today)) return;
  // The day's first start: the main window comes up at once and the backup,
  // seconds for a ledger of years, runs under it.
  ShowLoadingWindow(layout::kMainWindow);
  const BackupOutcome outcome = BackUp();
  if (outcome.ok) {
    RecordGoodBackup(today);
    ShowStatus(Gbk("今天的数据已自动备份到 " + BackupDestination()));
    return;
  }
  // The newest good backup may be on a stick that is not plugged in now:
  // the desk remembers when it last made one.
  std::optional<LocalTime> newest = LastGoodBackup();
  const std::string failed = "今天的自动备份没有做成：" + outcome.why + "。";
  if (newest && DayNumber(today) - DayNumber(*newest) <= kWarnAfterDays) {
    ShowStatus(Gbk(failed));
    return;
  }
  const std::string last = newest ? "最近一次成功的备份是 " + DateText(*newest) + "，已经 " +
                                        std::to_string(DayNumber(today) - DayNumber(*newest)) +
                                        " 天了。"
                                  : "还没有任何成功的备份。";
  Ask(Gbk(failed + "\r\n" + last +
          "\r\n电脑坏了或丢了，没有备份的订单就找不回来。请检查备份位置（系统设置 → "
          "设置店名及查询订单号码），再用 系统设置 → 备份数据 备份一次。"),
      box::kStop, "备份提醒"_gbk);
}

void BackUpNow() {
  const BackupOutcome outcome = BackUp();
  if (!outcome.ok) {
    Ask(Gbk("备份没有做成：" + outcome.why + "。\r\n数据文件没有受影响。"), box::kStop,
        "备份失败"_gbk);
    return;
  }
  RecordGoodBackup(Now());
  ShowStatus(Gbk("已备份到 " + outcome.folder));
  Ask(Gbk("备份完成，保存在：\r\n" + outcome.folder + "\r\n" + CountsText(outcome.counts) + "。"),
      box::kOk, "备份数据"_gbk);
}

void OpenRestoreWindow() {
  Command("LoadWindow", {UnitValue(kRestoreWindowUnit), {}, runtime::Value::Bool(true)});
}

void FillBackupList() {
  ListRows list(layout::kRestoreWindow, "备份列表");
  list.Clear();
  for (const BackupEntry& entry : ListBackups(BackupDestination()))
    list.Append({Gbk(TimeText(entry.when)), std::to_string(entry.counts.orders),
                 std::to_string(entry.counts.customers), std::to_string(entry.counts.receipts),
                 Gbk(entry.folder)});
}

void CloseRestoreWindow() {
  if (forms::FormRuntime* forms = forms::FormRuntime::Current())
    if (forms->FindWindow(layout::kRestoreWindow) != nullptr)
      forms->CloseWindow(layout::kRestoreWindow, false);
}

void RestoreChosenBackup() {
  ListRows list(layout::kRestoreWindow, "备份列表");
  const int row = list.Selected();
  if (row < 0) {
    Ask("请先在列表里选中一份备份。"_gbk);
    return;
  }
  const runtime::Text when = list.Cell(row, 0);
  const std::string folder = platform::GbkToUtf8(list.Cell(row, 4), false);
  if (Ask("用 "_gbk + when +
              " 的备份代替现在的数据吗？\r\n现在的数据文件会先移到数据文件夹里的 "
              "备份\\replaced-时间 文件夹保存，不会删除。"_gbk,
          box::kYesNo, "恢复数据"_gbk) != box::kYes)
    return;
  // The desk lets go of its own files first: a restore waits for no desk,
  // this one included.
  store::MakeDurable();
  store::Databases().CloseAll();
  const RestoreOutcome outcome = RestoreBackup(folder, DataFolder(), Now());
  OpenDataFiles();
  // Rows and the receipt in progress name records of the files that were
  // in use.
  ClearAllLists();
  Receipt = {};
  ReadShopSettings();
  ResetOrderForm();
  if (!outcome.ok) {
    Ask(Gbk("没有恢复：" + outcome.why + "。\r\n现在的数据没有改动。"), box::kStop, "恢复失败"_gbk);
    return;
  }
  CloseRestoreWindow();
  ShowStatus("已恢复为 "_gbk + when + " 的备份"_gbk);
  Ask("数据已恢复为 "_gbk + when + " 的备份。\r\n原来的数据文件保存在："_gbk +
          Gbk(outcome.replaced),
      box::kOk, "恢复数据"_gbk);
}

}  // namespace desk
