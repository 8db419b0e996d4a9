#pragma once
// Drawing helpers shared by the painters: the interface font, single-line text
// in a rectangle, and the alpha blend of anti-aliased masks.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <limits>

class QPainter;

namespace velmo {

// The Japanese interface font at a pixel height (IPAGothic, else Noto Sans CJK JP).
QFont ui_font(int pixel_height);

// The largest pixel height, at most pixel_height (and at least 1), at which
// font shows text in no more than width pixels.
int fitting_pixel_height(QFont font, int pixel_height, const QString& text, int width);

// The room one line of owner-drawn text has: its width, the height of its line
// (ascent and descent), and the height above the baseline for figures that stand
// on an edge right under it. A limit left unset does not apply.
struct TextSlot {
    static constexpr int kAny = std::numeric_limits<int>::max();
    int width = kAny;
    int height = kAny;
    int ascent = kAny;
};
// The largest pixel height, at most pixel_height (and at least 1), at which font
// shows text within slot. Fonts differ in line height at one pixel height
// (IPAGothic's line is 16 pixels at 15, Noto Sans CJK JP's 21), so text drawn
// into a fixed slot is fitted to it in height as in width.
int fitting_pixel_height(QFont font, int pixel_height, const QString& text, const TextSlot& slot);
// The interface font at the largest pixel height up to pixel_height at which
// text fits slot.
QFont fitted_ui_font(int pixel_height, const TextSlot& slot, const QString& text = QString());

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
