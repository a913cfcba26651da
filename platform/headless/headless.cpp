#include "platform/headless/headless.h"

#include <ctime>

#include "platform/gbk.h"
#include "platform/program_start.h"

namespace platform {

LocalTime SystemClock::Now() {
  std::time_t now = std::time(nullptr);
  std::tm parts = ToLocalTime(now);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::optional<std::string> MemoryClipboard::GetText() {
  if (!text_) return std::nullopt;
  return WithCrLfLineEnds(*text_);
}

bool MemoryClipboard::SetText(std::string_view gbk) {
  text_ = std::string(gbk);
  if (observer_) observer_(*text_);
  return true;
}

bool BoxHasButton(std::uint32_t style, BoxAnswer answer) {
  switch (style & 0xF) {
    case 0:
      return answer == BoxAnswer::kOk;
    case 1:
      return answer == BoxAnswer::kOk || answer == BoxAnswer::kCancel;
    case 2:
      return answer == BoxAnswer::kAbort || answer == BoxAnswer::kRetry ||
             answer == BoxAnswer::kIgnore;
    case 3:
      return answer == BoxAnswer::kYes || answer == BoxAnswer::kNo || answer == BoxAnswer::kCancel;
    case 4:
      return answer == BoxAnswer::kYes || answer == BoxAnswer::kNo;
    case 5:
      return answer == BoxAnswer::kRetry || answer == BoxAnswer::kCancel;
    default:
      return answer == BoxAnswer::kOk;
  }
}

BoxAnswer DefaultAnswer(std::uint32_t style) {
  return BoxHasButton(style, BoxAnswer::kOk) ? BoxAnswer::kOk : BoxAnswer::kNo;
}

BoxAnswer ScriptedDialogs::ShowMessageBox(std::string_view text, std::string_view caption,
                                          std::uint32_t style) {
  ShownBox box{std::string(text), std::string(caption), style, DefaultAnswer(style), true};
  if (!answers_.empty()) {
    box.answer = answers_.front();
    box.answered_by_default = false;
    answers_.pop_front();
  }
  shown_.push_back(box);
  if (box_observer_) box_observer_(box);
  return box.answer;
}

void ScriptedDialogs::ShowRuntimeError(std::string_view text) {
  errors_.emplace_back(text);
  if (error_observer_) error_observer_(errors_.back());
}

std::optional<std::string> ScriptedDialogs::AskPassword(std::string_view prompt,
                                                        std::string_view caption) {
  std::optional<std::string> password;
  if (!passwords_.empty()) {
    password = std::move(passwords_.front());
    passwords_.pop_front();
  }
  if (prompt_observer_) prompt_observer_({std::string(prompt), std::string(caption), password});
  return password;
}

std::optional<std::string> ScriptedDialogs::AskSaveFileName(std::string_view caption,
                                                            std::string_view proposed_path,
                                                            std::string_view /*filter*/) {
  ShownFileDialog shown{std::string(caption), std::string(proposed_path), std::nullopt, true};
  if (!file_names_.empty()) {
    shown.answer = std::move(file_names_.front());
    shown.answered_by_default = false;
    file_names_.pop_front();
  }
  if (file_observer_) file_observer_(shown);
  return shown.answer;
}

bool ScriptedDialogs::OpenWebPage(std::string_view address) {
  opened_.emplace_back(address);
  if (open_observer_) open_observer_(opened_.back());
  return true;
}

void ScriptedDialogs::ShowStatus(std::string_view gbk) {
  status_ = std::string(gbk);
  if (status_observer_) status_observer_(status_);
}

}  // namespace platform
