#include "framework/draw.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace velmo {

namespace {

// The interface font's families: the first of the two that is installed alone, so
// that a font made from it asks the font configuration for fallback fonts only
// when a character is missing (a second family makes every new size and script
// ask at once); both, in order, when neither is installed.
const QStringList& ui_families() {
    static const QStringList families = [] {
        for (const QString& family : {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")})
            if (QFontDatabase::hasFamily(family)) return QStringList{family};
        return QStringList{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")};
    }();
    return families;
}

}  // namespace

QFont ui_font(int pixel_height) {
    QFont font;
    font.setFamilies(ui_families());
    font.setPixelSize(pixel_height > 0 ? pixel_height : 1);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int fitting_pixel_height(QFont font, int pixel_height, const QString& text, int width) {
    return fitting_pixel_height(std::move(font), pixel_height, text, TextSlot{.width = width});
}

int fitting_pixel_height(QFont font, int pixel_height, const QString& text, const TextSlot& slot) {
    int height = std::max(1, pixel_height);
    for (; height > 1; --height) {
        font.setPixelSize(height);
        const QFontMetrics metrics(font);
        if (metrics.height() <= slot.height && metrics.ascent() <= slot.ascent &&
            (slot.width == TextSlot::kAny || metrics.horizontalAdvance(text) <= slot.width))
            break;
    }
    return height;
}

QFont fitted_ui_font(int pixel_height, const TextSlot& slot, const QString& text) {
    return ui_font(fitting_pixel_height(ui_font(pixel_height), pixel_height, text, slot));
}

void draw_text_in_rect(QPainter& painter, const QRect& rect, const QString& text, Qt::Alignment align) {
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect, static_cast<int>(align | Qt::TextSingleLine), text);
    painter.restore();
}

int blend_channel(int background, int ink, int alpha) {
    return background - (alpha * (background - ink)) / 256;
}

QColor blend(const QColor& background, const QColor& ink, int alpha) {
    return QColor(blend_channel(background.red(), ink.red(), alpha),
                  blend_channel(background.green(), ink.green(), alpha),
                  blend_channel(background.blue(), ink.blue(), alpha));
}

// Fixed values, so that the program looks the same under every desktop theme.
QColor active_caption_color() { return QColor(10, 36, 106); }
QColor button_face_color() { return QColor(212, 208, 200); }

}  // namespace velmo
