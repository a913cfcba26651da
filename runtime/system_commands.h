// The commands that reach the desktop: current directory, clipboard, message
// boxes and settings files. They go through the platform services, so the
// headless and the windowed program behave alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// The process's current directory (at most 260 bytes), or the empty text.
Text CurrentDirectory();

// The clipboard's plain text up to its first NUL, or the empty text when the
// clipboard holds none or cannot be opened.
Text GetClipboardText();

// Puts `text` on the clipboard as plain text; false when that fails.
bool SetClipboardText(std::string_view text);

// The caption of a message box when none is given.
const Text& DefaultMessageBoxCaption();

// The message a message box shows for `message`: numbers, Bool and DateTime
// in their text form, a Text as it is, anything else nothing.
Text MessageBoxText(const Value& message);

// Shows a modal message box and returns the button pressed: OK 0, Cancel 1,
// Abort 2, Retry 3, Ignore 4, Yes 5, No 6. `style` goes to the box
// unchanged (buttons in the low bits, icon and default button above).
std::int32_t MessageBox(const Value& message, std::uint32_t style,
                        std::string_view caption = DefaultMessageBoxCaption());

// The value of `key` in `section` of the settings file `file`, or
// `fallback` when the file, section or key is missing; cut to 10 239 bytes.
// Leading bytes up to 0x20 are skipped in the three names; when one of them
// is then empty the result is the empty text and the file is not read.
Text ReadIniItem(std::string_view file, std::string_view section, std::string_view key,
                 std::string_view fallback = {});

// Writes `value` for `key` in `section`; an omitted value deletes the key,
// an omitted key the whole section. True when the file was written (or
// nothing needed deleting).
bool WriteIniItem(std::string_view file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value);

}  // namespace runtime
