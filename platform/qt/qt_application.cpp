#include "platform/qt/qt_application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTranslator>

namespace platform {

void SetUpApplication(QApplication& app) {
  // The translator lives as long as the application.
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(translator);

  QStringList families = QFontDatabase::families();
  for (const char* candidate :
       {"SimSun", "NSimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei", "Droid Sans Fallback"}) {
    if (!families.contains(QString::fromUtf8(candidate))) continue;
    QFont font(QString::fromUtf8(candidate));
    // The layout was drawn for the desktop's 12-pixel dialog font.
    font.setPixelSize(12);
    app.setFont(font);
    break;
  }
  app.setWindowIcon(ProgramIcon());
}

QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0xC0, 0x30, 0x30));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(1, 1, 30, 30, 6, 6);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(22);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QString::fromUtf8("代"));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace platform
