#pragma once
// Drawing helpers shared by the painters: the interface font, single-line text
// in a rectangle, and the alpha blend of anti-aliased masks.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>

class QPainter;

namespace velmo {

// The Japanese interface font at a pixel height: IPAGothic whenever fontconfig
// has it, whatever the locale calls it; else Noto Sans CJK JP.
QFont ui_font(int pixel_height);
// The interface font's family as Qt's font database names it.
QString ui_family();

// The font fontconfig gives for a family name: all its family names (in every
// language it has them), its file, and whether it is that family at all or a
// stand-in for a family that is not installed.
struct FontMatch {
    QStringList families;
    QString file;
    bool is_family = false;
};
FontMatch fontconfig_match(const char* family);

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


// How far the top of a Japanese font's em square lies above its baseline, at a
// pixel height: 0.88 em, rounded. IPAGothic and Noto Sans CJK JP design every
// glyph inside that square; their lines (ascent and descent) differ, Noto's being
// 1.45 em against IPAGothic's 1.08, but the square is the same. IPAGothic's ascent
// is exactly this at every pixel height.
int em_ascent(int pixel_height);

// How far text whose em square is em must move down (or, negative, up) to stand
// in rect: its top at most a pixel above rect, its foot inside when both fit.
int text_shift_into(const QRect& em, const QRect& rect);

// Draws one line of text inside rect with the given alignment, clipped to rect,
// its em square moved into rect where the font's line would put it outside.
void draw_text_in_rect(QPainter& painter, const QRect& rect, const QString& text, Qt::Alignment align);

// Called for every text draw_text_in_rect draws, with the rectangle it was given
// and the em square of the text as drawn (before clipping), for layout checks.
using TextBoxProbe = std::function<void(QPainter& painter, const QRect& rect, const QRect& text_box)>;
void set_text_box_probe(TextBoxProbe probe);

// One channel of ink f over background b at alpha a (0..256):
// b - trunc(a * (b - f) / 256), truncating toward zero.
int blend_channel(int background, int ink, int alpha);
QColor blend(const QColor& background, const QColor& ink, int alpha);

// The system colours the painters use.
QColor active_caption_color();
QColor button_face_color();

}  // namespace velmo
