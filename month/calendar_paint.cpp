#include "month/calendar_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <string>

#include "framework/draw.h"
#include "month/calendar_calc.h"
#include "month/calendar_glyphs.h"
#include "views/palette.h"

namespace velmo::calendar {

QColor gray_text_color() { return QColor(128, 128, 128); }

namespace {

// The picture's own pixels that logical pixels x0..x1-1 cover along one axis at
// the picture's device pixel ratio; at ratio 1 the same.
int device(const QImage& image, int v) {
    const qreal ratio = image.devicePixelRatio();
    return ratio == 1 ? v : qRound(v * ratio);
}

// Fills the picture's pixels under the logical rectangle.
void fill_device(QImage& image, const QRect& rect, const QColor& c) {
    const QRect device_rect(QPoint(device(image, rect.left()), device(image, rect.top())),
                            QPoint(device(image, rect.right() + 1) - 1, device(image, rect.bottom() + 1) - 1));
    const QRect r = device_rect.intersected(image.rect());
    const QRgb rgb = c.rgb();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) image.setPixel(x, y, rgb);
}

void set_pixel(QImage& image, int x, int y, const QColor& c) { fill_device(image, QRect(x, y, 1, 1), c); }

void fill(QImage& image, const QRect& rect, const QColor& c) { fill_device(image, rect, c); }

}  // namespace

// At a device pixel ratio above 1 the mask is enlarged smoothly to the picture's
// own pixels, so that glyphs and corners keep their shape without blocks.
void blend_mask(QImage& image, int left, int top, int width, int height, std::span<const std::uint8_t> alpha,
                const QColor& background, const QColor& ink) {
    if (alpha.size() < static_cast<std::size_t>(width * height)) return;
    if (image.devicePixelRatio() == 1) {
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                set_pixel(image, left + i, top + j, blend(background, ink, alpha[static_cast<std::size_t>(j * width + i)]));
        return;
    }
    QImage mask(width, height, QImage::Format_Grayscale8);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) mask.scanLine(j)[i] = alpha[static_cast<std::size_t>(j * width + i)];
    const int x0 = device(image, left), y0 = device(image, top);
    const QImage big = mask.scaled(device(image, left + width) - x0, device(image, top + height) - y0,
                                   Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int j = 0; j < big.height(); ++j)
        for (int i = 0; i < big.width(); ++i) {
            const int x = x0 + i, y = y0 + j;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
            image.setPixel(x, y, blend(background, ink, big.constScanLine(j)[i]).rgb());
        }
}

void paint_weekday_header(QImage& image, int g) {
    const QColor face = button_face_color();
    const int width_here = image.deviceIndependentSize().toSize().width();
    fill(image, QRect(0, 0, width_here, 14), face);
    fill(image, QRect(0, 12, width_here, 1), gray_text_color());
    for (int w = 0; w < 7; ++w) {
        QColor ink = Qt::black;
        if (w == 0) ink = QColor(255, 0, 0);
        if (w == 6) ink = QColor(0, 0, 255);
        const int width = glyphs::weekday_label_width(w);
        blend_mask(image, weekday_label_left(w, g, width), 0, width, glyphs::kWeekdayLabelHeight,
                   glyphs::weekday_label(w), face, ink);
    }
}

void clear_day_area(QImage& image) {
    const QSize size = image.deviceIndependentSize().toSize();
    fill(image, QRect(0, 14, size.width(), std::max(0, size.height() - 14)), button_face_color());
}

QColor day_fill_color(std::uint16_t flags) {
    if (flags & kDaySelected) return active_caption_color();
    if (flags & kDayWon) return palette::win_strong();
    if (flags & kDayLost) return palette::loss_strong();
    return palette::neutral();
}

QColor day_number_color(int column, bool selected) {
    if (column == 0) return QColor(255, 0, 0);
    if (column == 6) return QColor(0, 0, 255);
    return selected ? palette::neutral() : gray_text_color();
}

void paint_day_cell(QImage& image, const DayCell& cell, const QFont& font) {
    const bool selected = (cell.flags & kDaySelected) != 0;
    const QColor back = day_fill_color(cell.flags);
    const QColor text = selected ? QColor(Qt::white) : QColor(Qt::black);
    const QColor face = button_face_color();
    const QRect r = day_cell_rect(cell.first_weekday, cell.index, cell.g, cell.v);
    const int x = r.left();
    const int y = r.top();
    fill(image, r, back);

    // Rounded corners: the mask blends the button face into the fill.
    const int right = x + cell.g + 50;
    const int bottom = y + 2 * cell.v + 32;
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            const QColor c = blend(face, back, kCornerMask[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)]);
            set_pixel(image, x + i, y + j, c);
            set_pixel(image, right - i, y + j, c);
            set_pixel(image, x + i, bottom - j, c);
            set_pixel(image, right - i, bottom - j, c);
        }
    }

    // Day number, right-aligned at x + G + 45, over the colour of the inner corner pixel.
    const int day = cell.index + 1;
    const QColor ink = day_number_color(day_column(cell.first_weekday, cell.index), selected);
    const QColor base = blend(face, back, 255);
    int left = day_number_left(x, cell.g, day);
    const std::string digits = std::to_string(day);
    for (char ch : digits) {
        blend_mask(image, left, y + 2, glyphs::kDayDigitWidth, glyphs::kDayDigitHeight, glyphs::day_digit(ch - '0'), base,
                   ink);
        left += glyphs::kDayDigitWidth;
    }

    // Balance under the number, on the fill colour.
    if (!cell.has_records) return;
    const QString balance = QString::number(cell.balance);
    QPainter p(&image);
    p.setFont(font);
    const QFontMetrics fm(font);
    // The balance's place reaches down to the cell's foot and across to its right
    // edge; a font with a taller line (Noto Sans CJK JP) is moved up into it.
    const int top = y + cell.v + 19;
    const QRect place(x + 4, top, right + 1 - (x + 4), bottom + 1 - top);
    p.fillRect(QRect(place.left(), top, fm.horizontalAdvance(balance), std::min(fm.height(), place.height())), back);
    p.setPen(text);
    draw_text_in_rect(p, place, balance, Qt::AlignLeft | Qt::AlignTop);
}

void paint_month_digit(QImage& image, int left, int digit) {
    const QColor face = button_face_color();
    const std::span<const std::uint8_t> runs = glyphs::month_digit_runs(digit);
    int col = 0;
    int row = 0;
    for (std::size_t k = 0; k + 1 < runs.size() && col < glyphs::kMonthDigitWidth; k += 2) {
        const QColor c = blend(face, Qt::black, runs[k + 1]);
        for (int n = 0; n < runs[k] && col < glyphs::kMonthDigitWidth; ++n) {
            set_pixel(image, left + col, row, c);
            if (++row == glyphs::kMonthDigitHeight) {
                row = 0;
                ++col;
            }
        }
    }
}

QImage month_number_image(int month) {
    QImage image(68, 50, QImage::Format_RGB32);
    image.fill(button_face_color());
    if (month >= 10) {
        paint_month_digit(image, 0, month / 10);
        paint_month_digit(image, 34, month % 10);
    } else if (month >= 0) {
        paint_month_digit(image, 17, month);
    }
    return image;
}

QImage logo_image() {
    QImage image(glyphs::kLogoWidth, glyphs::kLogoHeight, QImage::Format_RGB32);
    const QColor face = button_face_color();
    const QColor caption = active_caption_color();
    const std::span<const std::uint8_t> bytes = glyphs::logo();
    for (int y = 0; y < glyphs::kLogoHeight; ++y) {
        for (int x = 0; x < glyphs::kLogoWidth; ++x) {
            const int v = bytes[static_cast<std::size_t>(y * glyphs::kLogoWidth + x)];
            QColor c = blend(face, caption, 255 - v);
            if (v == 0) c = caption;
            if (v == 255) c = face;
            image.setPixel(x, y, c.rgb());
        }
    }
    return image;
}

}  // namespace velmo::calendar
