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

}  // namespace platform
