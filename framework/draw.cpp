#include "framework/draw.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

#include <fontconfig/fontconfig.h>

namespace velmo {

FontMatch fontconfig_match(const char* family) {
    FontMatch out;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return out;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return out;
    FcChar8* text = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &text) == FcResultMatch; ++i)
        out.families.push_back(QString::fromUtf8(reinterpret_cast<const char*>(text)));
    if (FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch)
        out.file = QString::fromUtf8(reinterpret_cast<const char*>(text));
    FcPatternDestroy(match);
    out.is_family = out.families.contains(QString::fromUtf8(family), Qt::CaseInsensitive);
    return out;
}

namespace {

// The name Qt's font database gives the font that fontconfig chooses for
// `family`, or an empty text when fontconfig gives some other font (the family
// is not installed). The font's names are compared, not Qt's: under a Japanese
// locale Qt knows IPAGothic only by its Japanese name "IPAゴシック".
QString installed_family(const char* family) {
    const FontMatch match = fontconfig_match(family);
    if (!match.is_family) return {};
    for (const QString& n : match.families)
        if (QFontDatabase::hasFamily(n)) return n;
    return {};
}

// The interface font's families: the first of the two that is installed alone, so
// that a font made from it asks the font configuration for fallback fonts only
// when a character is missing (a second family makes every new size and script
// ask at once); both, in order, when neither is installed.
const QStringList& ui_families() {
    static const QStringList families = [] {
        for (const char* family : {"IPAGothic", "Noto Sans CJK JP"}) {
            const QString name = installed_family(family);
            if (!name.isEmpty()) return QStringList{name};
        }
        return QStringList{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")};
    }();
    return families;
}

}  // namespace

QString ui_family() { return ui_families().front(); }

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

int em_ascent(int pixel_height) { return (pixel_height * 88 + 50) / 100; }

namespace {

TextBoxProbe& text_box_probe() {
    static TextBoxProbe probe;
    return probe;
}

// The em square of text drawn in rect with flags by the painter's font, on the
// baseline where the font puts it.
QRect em_square(const QPainter& painter, const QRect& rect, int flags, const QString& text) {
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect line = metrics.boundingRect(rect, flags, text);
    const int size = painter.font().pixelSize();
    return QRect(line.left(), line.top() + metrics.ascent() - em_ascent(size), line.width(), size);
}

}  // namespace

void set_text_box_probe(TextBoxProbe probe) { text_box_probe() = std::move(probe); }

int text_shift_into(const QRect& em, const QRect& rect) {
    // The em square's top pixel row is blank in nearly every glyph: IPAGothic's
    // bottom-aligned texts of 15 pixels in rows of 16 have always started there.
    int shift = 0;
    if (em.top() < rect.top() - 1) shift = rect.top() - 1 - em.top();
    if (em.bottom() + shift > rect.bottom()) shift = std::max(rect.bottom() - em.bottom(), rect.top() - 1 - em.top());
    return shift;
}

void draw_text_in_rect(QPainter& painter, const QRect& rect, const QString& text, Qt::Alignment align) {
    const int flags = static_cast<int>(align | Qt::TextSingleLine);
    // A font with a taller line than its size needs (Noto Sans CJK JP) puts its
    // baseline lower under a top alignment and higher under a bottom one, so that
    // its glyphs may stand out of a tight rectangle: they are moved back inside.
    int shift = 0;
    if (painter.font().pixelSize() > 0 && !text.isEmpty()) {
        const QRect em = em_square(painter, rect, flags, text);
        shift = text_shift_into(em, rect);
        if (const TextBoxProbe& probe = text_box_probe()) probe(painter, rect, em.translated(0, shift));
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect.translated(0, shift), flags, text);
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
