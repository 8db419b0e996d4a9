#pragma once
// Drawing helpers shared by the painters: the interface font, single-line text
// in a rectangle, and the alpha blend of anti-aliased masks.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace velmo {

// The Japanese interface font at a pixel height (IPAGothic, else Noto Sans CJK JP).
QFont ui_font(int pixel_height);

// The largest pixel height, at most pixel_height (and at least 1), at which
// font shows text in no more than width pixels.
int fitting_pixel_height(QFont font, int pixel_height, const QString& text, int width);

// Draws one line of text inside rect with the given alignment, clipped to rect.
void draw_text_in_rect(QPainter& painter, const QRect& rect, const QString& text, Qt::Alignment align);

// One channel of ink f over background b at alpha a (0..256):
// b - trunc(a * (b - f) / 256), truncating toward zero.
int blend_channel(int background, int ink, int alpha);
QColor blend(const QColor& background, const QColor& ink, int alpha);

// The system colours the painters use.
QColor active_caption_color();
QColor button_face_color();

}  // namespace velmo
