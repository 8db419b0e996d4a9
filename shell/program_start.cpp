#include "shell/program_start.h"

#include <QApplication>

#include "assets/glyphs.h"
#include "framework/translation.h"

namespace velmo {

void prepare_application() {
    QApplication::setApplicationName(QStringLiteral("Velmorant"));
    if (!use_japanese_ui()) qWarning("Qt's Japanese translation (qtbase_ja) is not installed");
    QApplication::setWindowIcon(app_icon());
}

}  // namespace velmo
