// Start-up of the main window: the program directory, the settings, the
// three data files, the caption, and an empty receipt. (The real windows
// show the program icon, program_icon.h.)
#include <cstdint>
#include <string>

#include "app/backups.h"
#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/order_form.h"
#include "app/run_values.h"
#include "app/start_up.h"
#include "platform/file.h"
#include "platform/gbk.h"
#include "runtime/error_report.h"
#include "runtime/system_commands.h"
#include "store/errors.h"
#include "store/record_store.h"

namespace desk {
namespace {

using platform::operator""_gbk;

// The one password of the desk's data files.
constexpr std::string_view kPassword = "qkd3094716";

struct DataFile {
  const char* file;     // UTF-8
  const char* alias;    // UTF-8
  const char* failure;  // UTF-8
};

constexpr DataFile kDataFiles[] = {
    {"流水账.ldg", "流水账", "打开流水账数据失败！"},
    {"客户库.ldg", "客户库", "打开客户库数据失败！"},
    {"报表库.ldg", "报表库", "打开报表库数据失败！"},
};

runtime::Text DirectoryWithSeparator(runtime::Text directory) {
  if (directory.empty() || (directory.back() != '\\' && directory.back() != '/')) directory += '\\';
  return directory;
}

// The desk cannot work without a data file: a later action would write into
// whichever file is still current (a customer into the ledger, say). After
// the file's own message the program ends, touching no file, with a box that
// says which file and why, and how to make empty ones.
[[noreturn]] void EndWithoutDataFile(const DataFile& data, store::ErrorNumber error) {
  Ask(platform::Utf8ToGbk(data.failure), box::kStop);
  runtime::Text text = "无法打开数据文件 "_gbk + ProgramFile(platform::Utf8ToGbk(data.file));
  text += "\r\n数据库提示："_gbk;
  text += store::ErrorText(error);
  text +=
      "\r\n请把三个数据文件放回程序目录；没有数据文件时，可用 ldgtool init 程序目录 "
      "建立空的数据文件；"
      "文件损坏时，可用 ldgtool repair 文件名 修复（修复前它把原文件另存一份）。"_gbk;
  runtime::ReportRuntimeError(text);
}

// How long an open waits while another desk on the same files holds a lock
// that the open's checks need (it appends or lists at that moment).
constexpr std::uint32_t kBusyWaitMs = 2000;

// A refusal that goes away once the other desk's command is done. A
// long-value file whose header is locked reads as unreadable, so that error
// is waited out too; a really damaged one is refused after the wait.
bool IsBusy(store::ErrorNumber error) {
  return error == store::error::kLockViolation || error == store::error::kSharingViolation ||
         error == store::error::kLongValueFileUnreadable;
}

bool OpenDataFile(const DataFile& data) {
  platform::Waiting& waiting = platform::SystemWaiting();
  const std::uint32_t start = waiting.TickCount();
  while (!store::OpenDatabase(ProgramFile(platform::Utf8ToGbk(data.file)),
                              platform::Utf8ToGbk(data.alias), runtime::Text(kPassword))) {
    if (!IsBusy(store::LastError()) || waiting.TickCount() - start >= kBusyWaitMs) return false;
    waiting.Sleep(20 + waiting.TickCount() % 20);
  }
  return true;
}

}  // namespace

void OpenDataFiles() {
  for (const DataFile& data : kDataFiles)
    if (!OpenDataFile(data)) EndWithoutDataFile(data, store::LastError());
}

void ReadShopSettings() {
  const runtime::Text settings = ProgramFile("配置.ini"_gbk);
  ShopName = runtime::ReadIniItem(settings, "店名"_gbk, "店名"_gbk, "代购店"_gbk);
  InquiryNumber =
      runtime::ReadIniItem(settings, "订单查询号码"_gbk, "订单查询号码"_gbk, "888888888");
  WriteText(kMainWindowUnit, ShopName);
}

void StartUp() {
  ProgramDirectory = DirectoryWithSeparator(runtime::CurrentDirectory());
  OpenDataFiles();
  ReadShopSettings();
  // The item boxes start as a cleared form shows them (quantity 1, amounts
  // 0), so the first item of the run is computed and stored as every later
  // one is.
  ClearOrderItemBoxes();
  ResetOrderForm();
  MakeDailyBackup();
}

}  // namespace desk
