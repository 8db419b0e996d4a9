#pragma once
// Typing into a widget as key events, for texts no key sequence of QTest gives.
#include <QString>

class QWidget;

namespace velmo::testing {

// Types text key by key, whatever characters it holds.
void type_text(QWidget* w, const QString& text);

}  // namespace velmo::testing
