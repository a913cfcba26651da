#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/gbk.h"

namespace platform {

std::optional<std::string> QtClipboard::GetText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return std::nullopt;
  const QMimeData* data = clipboard->mimeData();
  if (data == nullptr || !data->hasText()) return std::nullopt;
  // Browsers outside Windows end copied lines in LF alone.
  return WithCrLfLineEnds(Utf8ToGbk(data->text().toStdString()));
}

bool QtClipboard::SetText(std::string_view gbk) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(QString::fromStdString(GbkToUtf8(gbk, false)));
  return true;
}

}  // namespace platform
