// Backups of the desk's data: consistent copies of the three data files,
// their long-value files and "配置.ini" in time-stamped folders, the list of
// them, and putting one back in place of the files in use.
//
// A copy is taken while other desks may be working on the same files: each
// data file is copied once without a lock, then, under its whole-file lock,
// whatever changed meanwhile is copied again, so no write of another desk
// falls between the copies of a data file and its long-value file, and no
// desk is held off for longer than one read of the file. Every copy is
// verified before the backup counts; a backup that failed leaves nothing
// that looks like one.
//
// Paths are UTF-8; the texts that say why something failed are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace desk {

// "备份" in the data folder `dir`: where backups go unless told otherwise.
std::string DefaultBackupFolder(const std::string& dir);

// What a backup holds, as counted when it was made.
struct BackupCounts {
  std::int32_t orders = 0;     // order numbers in the ledger
  std::int32_t items = 0;      // ledger records (one per order item)
  std::int32_t customers = 0;  // customer book records
  std::int32_t receipts = 0;   // saved receipts
};

// Called as bytes are copied; `done` of `total` for the whole backup.
using BackupProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct BackupRequest {
  std::string dir;          // the data folder
  std::string destination;  // where the backup folders are; empty: DefaultBackupFolder(dir)
  int keep = 30;            // backup folders kept; older ones the desk made are removed
  platform::LocalTime when;
  BackupProgress progress;  // may be empty
};

struct BackupOutcome {
  bool ok = false;
  std::string folder;  // the new backup folder
  std::string why;     // why it failed
  BackupCounts counts;
  std::vector<std::string> removed;  // older backup folders removed
};

BackupOutcome MakeBackup(const BackupRequest& request);

struct BackupEntry {
  std::string folder;  // full path
  std::string name;    // YYYYMMDD-HHMMSS
  platform::LocalTime when;
  BackupCounts counts;
};

// The backups the desk made in `destination`, newest first.
std::vector<BackupEntry> ListBackups(const std::string& destination);

// The time of the newest backup in `destination`, if there is one.
std::optional<platform::LocalTime> NewestBackup(const std::string& destination);

struct RestoreOutcome {
  bool ok = false;
  bool in_use = false;   // another desk had the files open: nothing was changed
  std::string replaced;  // where the files that were in use went
  std::string why;       // why it failed
};

// Puts the backup in `backup` in place of the desk's files in `dir`: the
// backup is verified first; nothing happens while any of the files is open
// elsewhere; the files in use move to `dir`/备份/replaced-YYYYMMDD-HHMMSS
// (never deleted); the copies put in place are verified. A failure after the
// move puts the moved files back.
RestoreOutcome RestoreBackup(const std::string& backup, const std::string& dir,
                             const platform::LocalTime& when);

}  // namespace desk
