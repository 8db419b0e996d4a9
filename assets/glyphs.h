#pragma once
// The program's pictures, drawn in code: the application icon, the tool-bar
// glyphs (25 x 25).
#include <QIcon>
#include <QPixmap>

class QPainter;

namespace velmo {

QIcon app_icon();
QPixmap glyph_entry();     // 収支記入: a pen over a sheet
QPixmap glyph_registry();  // 登録: a card list
QPixmap glyph_open();      // 開く: an open folder

}  // namespace velmo
