#include "app/data_folder.h"

#include "app/desk_files.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "platform/user_folders.h"
#include "store/errors.h"

namespace desk {
namespace {

using platform::operator""_gbk;

// The name of the desk's folder among the user's data folders.
constexpr std::string_view kProgramName = "orderdesk";

}  // namespace

DataFolderRule ChooseDataFolder(bool named, const ProgramFolder& program) {
  if (named) return DataFolderRule::kNamed;
  if (program.holds_data_files || program.users_own) return DataFolderRule::kBesideProgram;
  return DataFolderRule::kUsersDataFolder;
}

DataFolder PrepareUsersDataFolder(const std::string& gbk_path) {
  DataFolder folder{gbk_path, {}, false};
  const std::string utf8 = platform::GbkToUtf8(gbk_path, false);
  if (ExistingDeskFile(utf8)) return folder;
  if (!platform::MakePrivateFolder(gbk_path)) {
    folder.failed = true;
    folder.note = "无法建立数据文件夹 "_gbk + gbk_path +
                  "。\r\n请检查主文件夹的权限和磁盘空间，或用 orderdesk --dir 文件夹 "
                  "指定一个可以写入的数据文件夹。"_gbk;
    return folder;
  }
  const MadeDeskFiles made = MakeDeskFiles(utf8);
  if (!made.ok()) {
    // A file that appeared meanwhile (another desk starting at the same
    // moment) is no failure: the desk opens what is there.
    if (!made.existing.empty()) return folder;
    folder.failed = true;
    folder.note = "无法在数据文件夹中建立空的数据文件 "_gbk + platform::Utf8ToGbk(made.failed) +
                  "\r\n数据库提示："_gbk + std::string(store::ErrorText(made.error)) +
                  "\r\n请检查磁盘空间和文件夹权限。"_gbk;
    return folder;
  }
  folder.note = "第一次启动：已为您建立数据文件夹\r\n"_gbk + gbk_path +
                "\r\n和其中空的数据文件（流水账、客户库、报表库）。订单、客户和小票都保存在"
                "这个文件夹里，备份时请复制整个文件夹。"_gbk;
  return folder;
}

DataFolder FindDataFolder(const std::string& named_utf8) {
  const std::string program_dir = platform::ProgramDirectory();
  ProgramFolder program;
  program.holds_data_files =
      !program_dir.empty() && ExistingDeskFile(platform::GbkToUtf8(program_dir, false));
  program.users_own = !program_dir.empty() && platform::IsUsersOwnFolder(program_dir);
  switch (ChooseDataFolder(!named_utf8.empty(), program)) {
    case DataFolderRule::kNamed:
      return {platform::Utf8ToGbk(named_utf8), {}, false};
    case DataFolderRule::kBesideProgram:
      return {program_dir, {}, false};
    case DataFolderRule::kUsersDataFolder:
      break;
  }
  if (auto users = platform::UserDataDirectory(kProgramName)) return PrepareUsersDataFolder(*users);
  return {program_dir,
          "找不到您的主文件夹，无法建立数据文件夹。请用 orderdesk --dir 文件夹 "
          "指定一个可以写入的数据文件夹。"_gbk,
          true};
}

}  // namespace desk
