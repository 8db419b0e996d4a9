#pragma once
// Painting of the month calendar into its 24-bit picture: the weekday header,
// the day cells with rounded corners, day numbers and balances, the month
// number beside the calendar and the logo of the view switch.
#include <QColor>
#include <QFont>
#include <QImage>

#include <cstdint>
#include <span>

namespace velmo::calendar {

// Colours of the system the calendar is drawn with.
QColor gray_text_color();

// Writes an alpha mask of width x height (row by row) at (left, top):
// each pixel becomes blend(background, ink, alpha). Pixels outside the image are skipped.
void blend_mask(QImage& image, int left, int top, int width, int height, std::span<const std::uint8_t> alpha,
                const QColor& background, const QColor& ink);

// The weekday header band, rows 0..13, for width step g.
void paint_weekday_header(QImage& image, int g);
// Clears everything below the header band to the button face.
void clear_day_area(QImage& image);

// One day cell.
struct DayCell {
    int first_weekday = 1;  // weekday of day 1, Sunday = 1
    int index = 0;          // day - 1
    int g = 0;              // width step
    int v = 0;              // height step
    std::uint16_t flags = 0;
    bool has_records = false;
    std::int64_t balance = 0;
};
// The fill colour of a cell by its flags.
QColor day_fill_color(std::uint16_t flags);
// The colour of the day number: red on Sunday, blue on Saturday, else near-white
// when selected and grey otherwise.
QColor day_number_color(int column, bool selected);
void paint_day_cell(QImage& image, const DayCell& cell, const QFont& font);

// The month number in a 68 x 50 picture on the button face.
QImage month_number_image(int month);
// Decodes the run-length pairs of one month digit into image at (left, 0).
void paint_month_digit(QImage& image, int left, int digit);

// The logo, 75 x 42.
QImage logo_image();

}  // namespace velmo::calendar
