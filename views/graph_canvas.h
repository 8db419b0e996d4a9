#pragma once
// Pixel drawing for the charts: a pen with a current position whose lines
// stop one pixel short of their end point, solid or dotted; rectangles whose
// right and bottom edges are exclusive; and text placed by its top-left corner
// on a transparent background. The charts give every coordinate in pixels of
// the chart, so the drawing is done here pixel by pixel instead of through
// Qt's anti-aliased paths.
//
// An image made at a device pixel ratio above 1 (a scaled screen) keeps the
// chart's coordinates: chart pixel (x, y) covers the image pixels from
// device(x) to device(x + 1) - 1 across and device(y) to device(y + 1) - 1 down,
// the first of them being its anchor. Fills cover whole chart pixels and text
// is drawn at the image's full resolution, but the pen stays one image pixel
// wide: a level or upright line runs along the whole chart pixels it passes at
// their anchor row or column, and where a polyline turns it meets the next line
// at the corner's anchor, so that frames close without gaps or spurs; a slanted
// line runs from anchor to anchor. A rectangle's frame is the outermost image
// pixels of its area. At ratio 1 chart and image pixels are the same.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace velmo {

// Colours the two charts share.
namespace chart_color {
inline const QColor kGrayText(128, 128, 128);
inline const QColor kGrid(224, 224, 224);
inline const QColor kBarUp(174, 210, 255);    // the result palette's strong win
inline const QColor kBarDown(255, 186, 206);  // and strong loss
inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);
}  // namespace chart_color

// An image for a chart of the given size in chart pixels at a device pixel
// ratio: its pixel size rounded up, the ratio set.
QImage chart_image(QSize size, qreal ratio);

class GraphCanvas {
public:
    explicit GraphCanvas(QImage& image) : image_(image), ratio_(image.devicePixelRatio()) {}

    QImage& image() { return image_; }

    // Pen.
    void set_pen(const QColor& color) { pen_ = color; }
    void set_dotted(bool dotted) { dotted_ = dotted; }
    QColor pen() const { return pen_; }
    void move_to(int x, int y) { pos_ = QPoint(x, y); }
    QPoint pen_pos() const { return pos_; }
    // A line from the pen position to (x, y), the end pixel left out; the pen moves there.
    // A dotted line sets every other pixel, starting with its first (at a ratio
    // above 1: the image pixels of every other chart pixel along the line).
    void line_to(int x, int y);
    // Lines in the pen colour through the points, in order; the last point is left out.
    void polyline(const QColor& pen, std::initializer_list<QPoint> points);
    // The pen's point at (x, y), where a line ending there stops; points outside
    // the image are ignored.
    void pixel(int x, int y, const QColor& color);

    // Fills left..right-1, top..bottom-1.
    void fill_rect(int left, int top, int right, int bottom, const QColor& color);
    // Frame in the pen colour and, unless brush is invalid, the inside filled;
    // corners in any order; right and bottom edges exclusive.
    void rectangle(int x1, int y1, int x2, int y2, const QColor& brush);

    // Text with its top-left corner at (x, y), transparent background.
    void set_font(const QFont& font) { font_ = font; }
    const QFont& font() const { return font_; }
    void set_text_color(const QColor& color) { text_color_ = color; }
    int text_width(const QString& text) const;
    void text_out(int x, int y, const QString& text);

private:
    // The first image pixel of chart coordinate v.
    int device(int v) const;
    // Image pixels of the rectangle r, clipped to the image.
    void fill_device(const QRect& r, const QColor& color);
    // line_to for a piece of a polyline: turns_at_start when a line of it ends at
    // the pen position, turns_at_end when one starts at (x, y).
    void segment_to(int x, int y, bool turns_at_start, bool turns_at_end);

    QImage& image_;
    qreal ratio_ = 1;
    QColor pen_ = Qt::black;
    bool dotted_ = false;
    QPoint pos_;
    QFont font_;
    QColor text_color_ = Qt::black;
};

}  // namespace velmo
