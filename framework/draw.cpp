#include "framework/draw.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace velmo {

QFont ui_font(int pixel_height) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixel_height > 0 ? pixel_height : 1);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int fitting_pixel_height(QFont font, int pixel_height, const QString& text, int width) {
    int height = std::max(1, pixel_height);
    for (; height > 1; --height) {
        font.setPixelSize(height);
        if (QFontMetrics(font).horizontalAdvance(text) <= width) break;
    }
    return height;
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
