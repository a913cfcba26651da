// The record-store commands as the order desk calls them: on the process's
// open databases (Databases()), each setting the calling thread's last
// error (LastError()). See DatabaseList for what each one does.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>

#include "runtime/value.h"
#include "store/database_list.h"

namespace store {

inline bool OpenDatabase(const OpenArguments& arguments) {
  return Databases().OpenDatabase(arguments);
}
inline bool OpenDatabase(runtime::Text file, runtime::Text alias, runtime::Text password) {
  OpenArguments arguments;
  arguments.file = std::move(file);
  arguments.alias = std::move(alias);
  arguments.password = std::move(password);
  return Databases().OpenDatabase(arguments);
}
inline bool SelectDatabase(std::string_view name) { return Databases().SelectDatabase(name); }
inline std::int32_t GetRecordCount() { return Databases().GetRecordCount(); }
inline void GoFirst() { Databases().GoFirst(); }
inline bool GoLast() { return Databases().GoLast(); }
inline bool Skip(std::int32_t count = 1) { return Databases().Skip(count); }
inline std::int32_t GetRecordNumber() { return Databases().GetRecordNumber(); }
inline bool GoTo(std::int32_t number) { return Databases().GoTo(number); }
inline bool IsPastEnd() { return Databases().IsPastEnd(); }
inline bool AppendRecord(runtime::Args values = {}) { return Databases().AppendRecord(values); }
inline bool DeleteRecord() { return Databases().DeleteRecord(); }
inline bool DeleteRecord(const runtime::Condition& condition) {
  return Databases().DeleteRecord(runtime::Value::OfCondition(condition));
}
inline bool PurgeDeleted() { return Databases().PurgeDeleted(); }
inline bool MakeDurable(ErrorNumber* failed = nullptr) { return Databases().MakeDurable(failed); }
inline runtime::Value ReadField(std::int32_t field) {
  return Databases().ReadField(runtime::Value::Int(field));
}
inline std::optional<std::string_view> CurrentText(
    std::int32_t field, std::size_t most = std::numeric_limits<std::size_t>::max()) {
  return Databases().CurrentText(field, most);
}
inline std::optional<bool> CurrentTextIs(std::int32_t field, const std::string& wanted) {
  return Databases().CurrentTextIs(field, wanted);
}
inline std::optional<double> CurrentNumber(std::int32_t field) {
  return Databases().CurrentNumber(field);
}
inline bool WriteField(std::int32_t field, const runtime::Value& value) {
  return Databases().WriteField(runtime::Value::Int(field), value);
}
inline bool FindRecord(const runtime::Condition& condition) {
  return Databases().FindRecord(runtime::Value::OfCondition(condition));
}

// One pass over the current database with each record current in turn
// (DatabaseList::ScanAsCurrent).
inline bool ScanAsCurrent(const std::function<bool(std::int32_t index)>& visit) {
  return Databases().ScanAsCurrent(visit);
}

}  // namespace store
