// The program's Qt application: Chinese texts in Qt's own dialogs, a CJK
// font, the program icon, and the real clipboard and dialogs.
#pragma once

#include <QIcon>
#include <memory>

class QApplication;

namespace platform {

// Loads Qt's zh_CN translations, picks a font that shows Chinese at the
// size the layout was drawn for, and sets the program icon.
void SetUpApplication(QApplication& app);

// The order desk's icon: 32 x 32 pixels, drawn once.
QIcon ProgramIcon();

}  // namespace platform
