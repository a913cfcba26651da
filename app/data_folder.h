// Where the desk keeps its data files for a run, and its first start in the
// user's data folder.
#pragma once

#include <string>

namespace desk {

// Which folder a run keeps its data in.
enum class DataFolderRule {
  kNamed,           // the folder named with --dir
  kBesideProgram,   // the folder that holds the program
  kUsersDataFolder  // the user's data folder (platform::UserDataDirectory)
};

// What is known of the folder that holds the program.
struct ProgramFolder {
  bool holds_data_files = false;  // one of the desk's data files is there
  bool users_own = false;         // it belongs to the user, who may write in it
};

// The folder named on the command line; else the program's own folder when
// it holds the data files or is the user's own (a portable copy, a build);
// else the user's data folder (an installed program, in a folder that is
// nobody's place for data).
DataFolderRule ChooseDataFolder(bool named, const ProgramFolder& program);

// A run's data folder and what the person is told about it.
struct DataFolder {
  std::string path;  // GBK
  // GBK, said once: that the folder and its empty data files were just
  // made, or why they could not be. Empty on every other start.
  std::string note;
  bool failed = false;  // the folder or its data files could not be made
};

// The user's data folder `gbk_path` as the desk starts on it: on the first
// start (none of the desk's data files there), the folder is made for its
// owner only, with the empty data files, and the note says so. A folder
// that holds some of the files is left as it is: opening the missing one
// fails with its name.
DataFolder PrepareUsersDataFolder(const std::string& gbk_path);

// The data folder of this run, by ChooseDataFolder's rule; `named_utf8` is
// the --dir value (empty: none was given). Makes the user's data folder on
// the first start.
DataFolder FindDataFolder(const std::string& named_utf8);

}  // namespace desk
