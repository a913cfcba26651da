// Record-store error numbers: 0 is success, every failure a negative number
// with a fixed text.
#pragma once

#include <string_view>

#include "platform/file.h"

namespace store {

// Inside the store every step answers with one of these (0 = success).
using ErrorNumber = int;

namespace error {
constexpr ErrorNumber kOk = 0;
constexpr ErrorNumber kUnknown = -1;
constexpr ErrorNumber kFileNotFound = -3;
constexpr ErrorNumber kBadPath = -4;
constexpr ErrorNumber kTooManyOpenFiles = -5;
constexpr ErrorNumber kAccessDenied = -6;
constexpr ErrorNumber kInvalidFile = -7;
constexpr ErrorNumber kRemoveCurrentDirectory = -8;
constexpr ErrorNumber kDirectoryFull = -9;
constexpr ErrorNumber kBadSeek = -10;
constexpr ErrorNumber kHardware = -11;
constexpr ErrorNumber kSharingViolation = -12;
constexpr ErrorNumber kLockViolation = -13;
constexpr ErrorNumber kDiskFull = -14;
constexpr ErrorNumber kEndOfFile = -15;
constexpr ErrorNumber kNotDatabaseFile = -22;
constexpr ErrorNumber kVersionTooHigh = -23;
constexpr ErrorNumber kBadAlias = -24;
constexpr ErrorNumber kBeforeFirstRecord = -25;
constexpr ErrorNumber kPastLastRecord = -26;
constexpr ErrorNumber kNoOpenDatabase = -27;
constexpr ErrorNumber kLockFailed = -28;
constexpr ErrorNumber kUnlockFailed = -29;
constexpr ErrorNumber kLongValueFileUnreadable = -35;
constexpr ErrorNumber kLongValueFileVersion = -36;
constexpr ErrorNumber kLongValueFileDamaged = -37;
constexpr ErrorNumber kAlreadyOpen = -38;
constexpr ErrorNumber kReadFieldFailed = -46;
constexpr ErrorNumber kWriteFieldFailed = -47;
constexpr ErrorNumber kFileSize = -48;
constexpr ErrorNumber kLongValueAccess = -59;
constexpr ErrorNumber kNoCurrentRecord = -60;
constexpr ErrorNumber kNoSuchField = -61;
constexpr ErrorNumber kReadRecordFailed = -62;
constexpr ErrorNumber kWriteRecordFailed = -63;
constexpr ErrorNumber kRecordCountFailed = -65;
constexpr ErrorNumber kNotOpen = -66;
constexpr ErrorNumber kNoCurrentDatabase = -67;
constexpr ErrorNumber kTypeMismatch = -72;
constexpr ErrorNumber kPassword = -78;
}  // namespace error

// The fixed text of an error number (GBK); "未知错误" for numbers without one.
std::string_view ErrorText(ErrorNumber number);

// The number of a failure reported by the file system; 0 for kNone.
ErrorNumber FileErrorNumber(platform::FileError error);

// The number of a failed lock: the file error's number for a lock or sharing
// violation, else kLockFailed.
ErrorNumber LockErrorNumber(platform::FileError error);

}  // namespace store
