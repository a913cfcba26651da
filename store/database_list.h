// The open databases of a process, the current one among them, and the
// fifteen record-store commands that work on them.
//
// Every command sets the calling thread's last error (LastError): 0 on
// success, else the error number of its outcome; a Bool result is true
// exactly when it is 0. ReadField with no current database or a missing
// field, and field or condition arguments of an unusable type, end the
// program through the runtime error report.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "runtime/value.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/page_cipher.h"

namespace store {

// The calling thread's last error.
ErrorNumber LastError();

struct OpenArguments {
  runtime::Text file;
  runtime::Text alias;  // empty: none
  bool read_only = false;
  std::optional<std::int32_t> sharing;    // nullopt: omitted
  std::optional<runtime::Text> password;  // "?" asks the user
};

class DatabaseList {
 public:
  explicit DatabaseList(platform::FileOpener opener = platform::SystemFileOpener(),
                        platform::Waiting* waiting = &platform::SystemWaiting());
  // How the files opened from now on are opened; for tests of the whole
  // program with a fault-injecting opener.
  void SetOpener(platform::FileOpener opener) { opener_ = std::move(opener); }
  // Flushes every open file.
  ~DatabaseList();
  DatabaseList(const DatabaseList&) = delete;
  DatabaseList& operator=(const DatabaseList&) = delete;

  // Opens a data file, adds it to the list and makes it current. The file
  // name gets ".LDG" when it has no extension; the alias must start with a
  // letter or Chinese character and go on with letters, digits or Chinese
  // characters (half- or full-width).
  bool OpenDatabase(const OpenArguments& arguments);
  // Flushes and closes every open database; none is current afterwards.
  void CloseAll();
  // Makes current the open database whose alias, else base name, else full
  // path equals `name` (letter case ignored), newest first.
  bool SelectDatabase(std::string_view name);
  // Records in the current database, deleted ones included; 0 on failure.
  std::int32_t GetRecordCount();
  void GoFirst();
  bool GoLast();
  bool Skip(std::int32_t count = 1);
  // The cursor's record number (index + 1); 0 with no current database.
  std::int32_t GetRecordNumber();
  // Moves to record `number`, clamped to the records there are.
  bool GoTo(std::int32_t number);
  // True past the last record, with no records, or when the count cannot be
  // read.
  bool IsPastEnd();
  bool AppendRecord(runtime::Args values = {});
  // Marks the current record deleted.
  bool DeleteRecord();
  // Marks every record for which `condition` holds deleted.
  bool DeleteRecord(const runtime::Value& condition);
  bool PurgeDeleted();
  // Makes what the open files were given durable: one sync for each file
  // written since its last, none for the others. False when a sync fails,
  // with the first failure's error number in `failed` when given (the last
  // error is left as it was: it may tell of the write before).
  bool MakeDurable(ErrorNumber* failed = nullptr);
  // `field`: a number (1-based) or a field name.
  runtime::Value ReadField(const runtime::Value& field);
  // Text field `field` (1-based) of the record a scan is visiting or a
  // search testing, as ReadField gives it, without making a value of it
  // (see Database::TextOfCurrent, also for `most`); nullopt when ReadField
  // must be asked instead.
  std::optional<std::string_view> CurrentText(
      std::int32_t field, std::size_t most = std::numeric_limits<std::size_t>::max());
  // Whether that text field is `wanted`, compared without a copy
  // (Database::CurrentTextIs); nullopt when ReadField must be asked instead.
  std::optional<bool> CurrentTextIs(std::int32_t field, const std::string& wanted);
  // Double field `field` (1-based) of the record under test, without
  // making a value of it (Database::NumberOfCurrent); nullopt for a field of
  // another type or when ReadField must be asked instead.
  std::optional<double> CurrentNumber(std::int32_t field);
  bool WriteField(const runtime::Value& field, const runtime::Value& value);
  bool FindRecord(const runtime::Value& condition);
  // One pass over the current database from its first record, for work
  // that only looks at each record in memory, such as filling a list: see
  // Database::ScanRecords with batched locks. `visit` reads the fields it
  // needs from the bytes it is given (Database::FieldOfRecord and
  // TextOfRecord); the cursor does not move.
  bool ScanRecords(const Database::RecordVisitor& visit);
  // The same pass with each record current while `visit` runs, so that
  // ReadField and GetRecordNumber give that record, read from memory; the
  // cursor is put back afterwards.
  bool ScanAsCurrent(const std::function<bool(std::int32_t index)>& visit);

  // The current database, or nullptr.
  Database* current();
  // The open database SelectDatabase would choose for `name`, without
  // choosing it; nullptr when none.
  Database* Find(std::string_view name);
  const std::vector<std::unique_ptr<Database>>& databases() const { return databases_; }

 private:
  ErrorNumber Open(const OpenArguments& arguments);
  // Resolves a field argument; ends the program for an unusable type.
  std::optional<std::size_t> ResolveField(Database& db, const runtime::Value& field);
  bool Finish(ErrorNumber result);

  platform::FileOpener opener_;
  platform::Waiting* waiting_;
  CipherPool ciphers_;
  std::vector<std::unique_ptr<Database>> databases_;
  std::optional<std::size_t> current_;
};

// The process's open databases, which the commands work on.
DatabaseList& Databases();

}  // namespace store
