// The desk's backups as the assistant meets them: one made by itself at the
// first start of each day, one on demand from the menu, the warning when the
// newest good one is old, and the window that puts one back.
#pragma once

#include <string>

namespace desk {

// Where backups go: the folder set in the settings window, else "备份" beside
// the data files (UTF-8).
std::string BackupDestination();

// At start-up: makes the day's backup unless one was made today, and warns
// when the newest good backup is more than a week old.
void MakeDailyBackup();

}  // namespace desk
