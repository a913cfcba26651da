// Texts as they appear in scripts and transcripts.
//
// Scripts are UTF-8 with the escapes \r \n \t \\ and \s (a space); the
// transcript quotes texts with \r \n \t \\ \" escaped and writes bytes that
// are not valid GBK as \xNN.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace driver {

// A script text (UTF-8, escaped) as a GBK text. Characters GBK cannot hold
// become '?', or, when `dropped` is given (text a person types), are left
// out and `dropped` tells whether any was.
std::string ScriptTextToGbk(std::string_view script_text, bool* dropped = nullptr);

// A GBK text in transcript form, in double quotes.
std::string Quoted(std::string_view gbk);

}  // namespace driver
