#include "store/database_list.h"

#include <algorithm>

#include "platform/gbk.h"
#include "runtime/error_report.h"
#include "store/field_codec.h"
#include "store/format.h"

namespace store {
namespace {

using platform::operator""_gbk;
using runtime::Value;

thread_local ErrorNumber last_error = error::kOk;

// Reading the record count waits this long for another process's header lock.
constexpr std::uint32_t kCountWaitMs = 2000;

}  // namespace

ErrorNumber LastError() { return last_error; }

DatabaseList::DatabaseList(platform::FileOpener opener, platform::Waiting* waiting)
    : opener_(std::move(opener)), waiting_(waiting) {}

DatabaseList::~DatabaseList() {
  for (auto& db : databases_) db->Flush();
}

void DatabaseList::CloseAll() {
  for (auto& db : databases_) db->Flush();
  databases_.clear();
  current_.reset();
}

DatabaseList& Databases() {
  static DatabaseList list;
  return list;
}

bool DatabaseList::Finish(ErrorNumber result) {
  last_error = result;
  return result == error::kOk;
}

Database* DatabaseList::current() { return current_ ? databases_[*current_].get() : nullptr; }

// ---- Opening and choosing ----

ErrorNumber DatabaseList::Open(const OpenArguments& arguments) {
  if (arguments.file.empty()) return error::kFileNotFound;
  OpenRequest request;
  request.full_path = platform::FullPath(WithDefaultExtension(arguments.file));
  for (const auto& db : databases_)
    if (platform::EqualIgnoreCase(db->full_path(), request.full_path)) return error::kAlreadyOpen;
  if (!arguments.alias.empty() && !IsValidName(arguments.alias)) return error::kBadAlias;
  request.alias = arguments.alias;
  request.read_only = arguments.read_only;
  request.sharing = arguments.sharing;
  request.password = arguments.password;
  std::unique_ptr<Database> db;
  DatabaseEnvironment environment{&opener_, waiting_, &ciphers_};
  ErrorNumber result = Database::Open(request, environment, db);
  if (result != error::kOk) return result;
  databases_.push_back(std::move(db));
  current_ = databases_.size() - 1;
  return error::kOk;
}

bool DatabaseList::OpenDatabase(const OpenArguments& arguments) {
  last_error = error::kOk;
  return Finish(Open(arguments));
}

Database* DatabaseList::Find(std::string_view name) {
  if (name.empty()) return nullptr;
  auto newest_first = [&](auto matches) -> Database* {
    for (auto it = databases_.rbegin(); it != databases_.rend(); ++it)
      if (matches(**it)) return it->get();
    return nullptr;
  };
  if (Database* db = newest_first([&](const Database& d) {
        return !d.alias().empty() && platform::EqualIgnoreCase(d.alias(), name);
      }))
    return db;
  if (Database* db = newest_first(
          [&](const Database& d) { return platform::EqualIgnoreCase(d.base_name(), name); }))
    return db;
  return newest_first(
      [&](const Database& d) { return platform::EqualIgnoreCase(d.full_path(), name); });
}

bool DatabaseList::SelectDatabase(std::string_view name) {
  last_error = error::kOk;
  Database* db = Find(name);
  if (db == nullptr) return Finish(error::kNotOpen);
  for (std::size_t i = 0; i < databases_.size(); ++i)
    if (databases_[i].get() == db) current_ = i;
  return Finish(error::kOk);
}

// ---- Navigation ----

std::int32_t DatabaseList::GetRecordCount() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) {
    Finish(error::kNoCurrentDatabase);
    return 0;
  }
  std::int32_t count = 0;
  if (!Finish(db->ReadRecordCount(count, kCountWaitMs))) return 0;
  return count;
}

void DatabaseList::GoFirst() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) {
    Finish(error::kNoCurrentDatabase);
    return;
  }
  db->set_cursor(0);
}

bool DatabaseList::GoLast() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  std::int32_t count = 0;
  if (!Finish(db->ReadRecordCount(count, kCountWaitMs))) return false;
  db->set_cursor(count > 0 ? count - 1 : 0);
  return true;
}

bool DatabaseList::Skip(std::int32_t n) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  if (n == 0) return true;
  std::int32_t count = 0;
  if (!Finish(db->ReadRecordCount(count, kCountWaitMs))) return false;
  const std::int64_t cursor = db->cursor();
  if (n > 0) {
    if (count == 0 || cursor >= count) return Finish(error::kPastLastRecord);
    db->set_cursor(static_cast<std::int32_t>(std::min<std::int64_t>(cursor + n, count)));
  } else {
    if (count == 0 || cursor < 0) return Finish(error::kBeforeFirstRecord);
    db->set_cursor(static_cast<std::int32_t>(std::max<std::int64_t>(cursor + n, -1)));
  }
  return true;
}

std::int32_t DatabaseList::GetRecordNumber() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) {
    Finish(error::kNoCurrentDatabase);
    return 0;
  }
  return db->cursor() + 1;
}

bool DatabaseList::GoTo(std::int32_t number) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  std::int32_t count = 0;
  if (!Finish(db->ReadRecordCount(count, kCountWaitMs))) return false;
  std::int64_t index = std::min<std::int64_t>(std::int64_t{number} - 1, std::int64_t{count} - 1);
  db->set_cursor(static_cast<std::int32_t>(std::max<std::int64_t>(index, 0)));
  return true;
}

bool DatabaseList::IsPastEnd() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  std::int32_t count = 0;
  if (!Finish(db->ReadRecordCount(count, kCountWaitMs))) return true;
  return count == 0 || db->cursor() >= count;
}

// ---- Records ----

bool DatabaseList::AppendRecord(runtime::Args values) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  return Finish(db->AppendRecord(values));
}

bool DatabaseList::DeleteRecord() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  return Finish(db->DeleteCurrent());
}

bool DatabaseList::DeleteRecord(const Value& condition) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  return Finish(db->DeleteWhere(condition));
}

bool DatabaseList::MakeDurable(ErrorNumber* failed) {
  bool durable = true;
  for (auto& db : databases_) {
    ErrorNumber flushed = db->Flush();
    if (flushed != error::kOk && durable && failed != nullptr) *failed = flushed;
    durable = durable && flushed == error::kOk;
  }
  return durable;
}

bool DatabaseList::PurgeDeleted() {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr)
    return Finish(databases_.empty() ? error::kNoOpenDatabase : error::kNoCurrentDatabase);
  return Finish(db->PurgeDeleted());
}

bool DatabaseList::FindRecord(const Value& condition) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  bool found = false;
  ErrorNumber result = db->FindRecord(condition, found);
  Finish(result);
  return result == error::kOk && found;
}

bool DatabaseList::ScanRecords(const Database::RecordVisitor& visit) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  return Finish(db->ScanRecords(0, Database::ScanLocks::kBatch, visit));
}

bool DatabaseList::ScanAsCurrent(const std::function<bool(std::int32_t index)>& visit) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNoCurrentDatabase);
  return Finish(db->ScanAsCurrent(visit));
}

// ---- Fields ----

std::optional<std::size_t> DatabaseList::ResolveField(Database& db, const Value& field) {
  if (field.IsText()) return db.FieldNamed(field.AsText());
  if (!field.IsNumeric()) runtime::RaiseRuntimeError(11);
  std::int64_t number = ConvertNumeric(field, runtime::type::kInt).AsInt64();
  if (number < 1 || number > static_cast<std::int64_t>(db.fields().size())) return std::nullopt;
  return static_cast<std::size_t>(number - 1);
}

Value DatabaseList::ReadField(const Value& field) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) runtime::ReportRuntimeError("未指定当前数据库或者指定数据库未打开"_gbk, 0);
  std::optional<std::size_t> index = ResolveField(*db, field);
  if (!index) runtime::ReportRuntimeError("指定字段不存在"_gbk, 0);
  Value out;
  Finish(db->ReadField(*index, out));
  return out;
}

std::optional<std::string_view> DatabaseList::CurrentText(std::int32_t field, std::size_t most) {
  Database* db = current();
  if (db == nullptr || field < 1 || static_cast<std::size_t>(field) > db->fields().size())
    return std::nullopt;
  std::optional<std::string_view> text =
      db->TextOfCurrent(static_cast<std::size_t>(field - 1), most);
  if (text) last_error = error::kOk;
  return text;
}

std::optional<bool> DatabaseList::CurrentTextIs(std::int32_t field, const std::string& wanted) {
  Database* db = current();
  if (db == nullptr || field < 1 || static_cast<std::size_t>(field) > db->fields().size())
    return std::nullopt;
  const std::optional<bool> is = db->CurrentTextIs(static_cast<std::size_t>(field - 1), wanted);
  if (is) last_error = error::kOk;
  return is;
}

std::optional<double> DatabaseList::CurrentNumber(std::int32_t field) {
  Database* db = current();
  if (db == nullptr || field < 1 || static_cast<std::size_t>(field) > db->fields().size() ||
      db->fields()[static_cast<std::size_t>(field - 1)].type != FieldType::kDouble)
    return std::nullopt;
  std::optional<double> number = db->NumberOfCurrent(static_cast<std::size_t>(field - 1));
  if (number) last_error = error::kOk;
  return number;
}

bool DatabaseList::WriteField(const Value& field, const Value& value) {
  last_error = error::kOk;
  Database* db = current();
  if (db == nullptr) return Finish(error::kNotOpen);
  std::optional<std::size_t> index = ResolveField(*db, field);
  if (!index) return Finish(error::kNoSuchField);
  return Finish(db->WriteField(*index, value));
}

}  // namespace store
