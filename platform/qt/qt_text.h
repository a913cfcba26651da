// GBK texts at the Qt edge.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/gbk.h"

namespace platform {

// A GBK text for a widget; "\r\n" becomes a line break.
inline QString ToQString(std::string_view gbk) {
  QString text = QString::fromStdString(GbkToUtf8(gbk, false));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// What a widget holds, as GBK.
inline std::string FromQString(const QString& text) { return Utf8ToGbk(text.toStdString()); }

// What a person typed or pasted into a widget, as GBK: characters GBK cannot
// hold are left out, and `dropped` tells whether any was.
inline std::string FromQStringTyped(const QString& text, bool* dropped) {
  return Utf8ToGbkTyped(text.toStdString(), dropped);
}

}  // namespace platform
