// The calendar's arithmetic and its painters, without a window.
#include <gtest/gtest.h>

#include <QImage>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "month/calendar_calc.h"
#include "month/calendar_glyphs.h"
#include "month/calendar_paint.h"
#include "views/palette.h"

namespace velmo::calendar {
namespace {

LedgerDay row(const char* date, std::int64_t investment, std::int64_t payout) { return {date, investment, payout}; }

TEST(CalendarDays, PlayDaysSumTheirRecordsAndCarryTheirFirstRow) {
    // March 2004 starts on a Monday.
    const std::vector<LedgerDay> rows = {
        row(" 2/28", 1000, 5000),   // row 1: another month
        row(" 3/5", 5000, 2000),    // rows 2-3: one play day, -3000 + 1000
        row(" 3/5", 1000, 2000),
        row(" 3/7", 500, 500),      // row 4: even
        row(" 3/20", 2000, 9000),   // row 5: won
        row(" 4/1", 100, 0),        // row 6: next month
    };
    const MonthDays m = compute_month_days(rows, 2004, 3, 7);
    EXPECT_EQ(m.first_weekday, 2);
    EXPECT_EQ(m.flags[5], 2 | kDayLost);
    EXPECT_EQ(m.records[5], 2);
    EXPECT_EQ(m.investment[5], 6000);
    EXPECT_EQ(m.payout[5], 4000);
    EXPECT_EQ(m.flags[7], 4 | kDaySelected);  // even: neither won nor lost
    EXPECT_EQ(m.investment[7], 500);
    EXPECT_EQ(m.flags[20], 5 | kDayWon);
    EXPECT_EQ(m.records[20], 1);
    EXPECT_EQ(m.selected_index, 6);
    for (int d : {1, 6, 8, 19, 21, 31}) {
        EXPECT_EQ(m.investment[static_cast<std::size_t>(d)], kNoRecords) << d;
        EXPECT_EQ(m.flags[static_cast<std::size_t>(d)], 0) << d;
    }

    // The same rows seen from April: row 6 only; the selection belongs to March.
    const MonthDays april = compute_month_days(rows, 2004, 4, 0);
    EXPECT_EQ(april.flags[1], 6 | kDayLost);
    EXPECT_EQ(april.investment[31], kNoSuchDay);
    EXPECT_EQ(april.selected_index, -1);
}

TEST(CalendarDays, DaysBeyondTheMonthsEndDoNotExist) {
    const MonthDays common = compute_month_days({}, 2005, 2, 30);
    EXPECT_EQ(common.investment[28], kNoRecords);
    for (int d : {29, 30, 31}) EXPECT_EQ(common.investment[static_cast<std::size_t>(d)], kNoSuchDay);
    EXPECT_EQ(common.selected_index, -1);  // a remembered 30th has no cell in February

    const MonthDays leap = compute_month_days({row(" 2/29", 0, 3000)}, 2004, 2, 29);
    EXPECT_EQ(leap.flags[29], 1 | kDayWon | kDaySelected);
    EXPECT_EQ(leap.investment[30], kNoSuchDay);

    // A year that is not a year gives no days at all rather than a wrong weekday.
    const MonthDays broken = compute_month_days({row(" 1/5", 0, 1)}, 0, 1, 5);
    for (int d = 1; d <= 31; ++d) EXPECT_EQ(broken.investment[static_cast<std::size_t>(d)], kNoSuchDay);
}

TEST(CalendarDays, LargeDaysDoNotOverflow) {
    std::vector<LedgerDay> rows(300, row("12/31", 2'000'000'000, 0));
    const MonthDays m = compute_month_days(rows, 2004, 12, 0);
    EXPECT_EQ(m.records[31], 300);
    EXPECT_EQ(m.investment[31], 600'000'000'000);
    EXPECT_EQ(m.flags[31], 1 | kDayLost);
}

TEST(CalendarGeometry, SixWeekMonthsLeaveOneRowPerHeightStepFree) {
    // May 2004: 31 days from a Saturday; September 2007: 30 days from a Saturday.
    for (auto [year, month, days] : {std::array{2004, 5, 31}, std::array{2007, 9, 30}}) {
        const int w1 = first_weekday(year, month);
        ASSERT_EQ(w1, 7);
        for (int v : {0, 7, 15}) {
            const QRect last = day_cell_rect(w1, days - 1, 0, v);
            EXPECT_EQ(last.top(), 16 + 5 * (2 * v + 36));
            EXPECT_EQ(13 * v + 230 - (last.bottom() + 1), v + 1);
        }
    }
    const QRect cell = day_cell_rect(2, 0, 3, 2);  // a Monday, G 3, V 2
    EXPECT_EQ(cell, QRect(57, 16, 54, 37));
    EXPECT_EQ(day_column(2, 0), 1);
    EXPECT_EQ(day_column(2, 5), 6);
}

TEST(CalendarGeometry, ClicksHitTheDayUnderThePointer) {
    for (int g : {0, 5, 21})
        for (int v : {0, 4, 15})
            for (int w1 = 1; w1 <= 7; ++w1)
                for (int i = 0; i < 31; ++i) {
                    const QRect r = day_cell_rect(w1, i, g, v);
                    EXPECT_EQ(day_at(r.left(), r.top(), w1, g, v), i + 1);
                    EXPECT_EQ(day_at(r.right(), r.bottom(), w1, g, v), i + 1);
                }
    // March 2004 starts on Monday: the header band above Monday is day 1, above Sunday day 0.
    EXPECT_EQ(day_at(60, 3, 2, 0, 0), 1);
    EXPECT_EQ(day_at(10, 30, 2, 0, 0), 0);
    // The gap right of a cell belongs to it; the gap below a week row belongs to the next row.
    EXPECT_EQ(day_at(106, 30, 2, 0, 0), 1);
    EXPECT_EQ(day_at(60, 50, 2, 0, 0), 1);
    EXPECT_EQ(day_at(60, 51, 2, 0, 0), 8);
}

TEST(CalendarTexts, MonthAndHallTexts) {
    EXPECT_EQ(calendar_month_text(3, ""), cp932_literal(u8"3月TOTAL 0"));
    EXPECT_EQ(calendar_month_text(3, "0"), cp932_literal(u8"3月TOTAL 0"));
    EXPECT_EQ(calendar_month_text(11, "1500"), cp932_literal(u8"11月TOTAL +1500"));
    EXPECT_EQ(calendar_month_text(12, "-200"), cp932_literal(u8"12月TOTAL -200"));

    StringGrid halls;
    halls.set_col_count(6);
    halls.set_row_count(6);
    const char* names[] = {"Alpha", "Beta ", "Beta", "", "Gamma"};
    const char* totals[] = {"3000", "-10", "0", "", "99"};
    for (int r = 1; r <= 5; ++r) {
        halls.set_cell(1, r, names[r - 1]);
        halls.set_cell(4, r, totals[r - 1]);
    }
    EXPECT_EQ(hall_total_text(halls, "Alpha"), "Alpha TOTAL +3000");
    EXPECT_EQ(hall_total_text(halls, "Beta "), "Beta  TOTAL -10");
    EXPECT_EQ(hall_total_text(halls, "Beta"), "Beta TOTAL 0");
    EXPECT_EQ(hall_total_text(halls, "Gamma"), std::nullopt);  // below the first empty row
    EXPECT_EQ(hall_total_text(halls, "Delta"), std::nullopt);
}

// ---- Painters ----

QColor at(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

QImage picture(int g, int v) {
    QImage image(7 * g + 376, 13 * v + 230, QImage::Format_RGB32);
    image.fill(Qt::green);
    return image;
}

// A pixel of a glyph with full ink, as (column, row).
QPoint full_ink(std::span<const std::uint8_t> alpha, int width) {
    for (std::size_t k = 0; k < alpha.size(); ++k)
        if (alpha[k] == 255) return QPoint(static_cast<int>(k) % width, static_cast<int>(k) / width);
    return QPoint(-1, -1);
}

TEST(CalendarPaint, DayCellsTakeTheirResultColoursAndRoundedCorners) {
    const QColor face = button_face_color();
    const QFont font = ui_font(13);
    for (int g : {0, 6}) {
        for (int v : {0, 5}) {
            QImage image = picture(g, v);
            clear_day_area(image);
            // March 2004: day 3 won (Wednesday), day 4 lost, day 6 selected (Saturday), day 8 empty (Monday).
            const int w1 = 2;
            auto paint = [&](int day, std::uint16_t flags, bool records, std::int64_t balance) {
                paint_day_cell(image, DayCell{w1, day - 1, g, v, flags, records, balance}, font);
                return day_cell_rect(w1, day - 1, g, v);
            };
            const QRect won = paint(3, kDayWon, true, 2500);
            const QRect lost = paint(4, kDayLost, true, -800);
            const QRect sel = paint(6, kDaySelected | kDayWon, true, 100);
            const QRect none = paint(8, 0, false, 0);

            const auto inner = [&](const QRect& r) { return QPoint(r.left() + 2, r.top() + 10); };
            EXPECT_EQ(at(image, inner(won).x(), inner(won).y()), QColor(174, 210, 255));
            EXPECT_EQ(at(image, inner(lost).x(), inner(lost).y()), QColor(255, 186, 206));
            EXPECT_EQ(at(image, inner(sel).x(), inner(sel).y()), active_caption_color());
            EXPECT_EQ(at(image, inner(none).x(), inner(none).y()), QColor(255, 252, 249));

            // Corners blend the button face into the fill; alpha 0 leaves the face.
            const QColor fill(174, 210, 255);
            EXPECT_EQ(at(image, won.left(), won.top()), face);
            EXPECT_EQ(at(image, won.left() + 6, won.top()), blend(face, fill, 166));
            EXPECT_EQ(at(image, won.left() + g + 50, won.top() + 2 * v + 32), face);
            EXPECT_EQ(at(image, won.left() + g + 44, won.top() + 2 * v + 32), blend(face, fill, 166));
            EXPECT_EQ(at(image, won.left() + g + 48, won.top() + 1), blend(face, fill, 89));
            EXPECT_EQ(at(image, won.left() + 1, won.top() + 2 * v + 30), blend(face, fill, 89));
            // Gaps between cells and a cell never painted keep the face.
            EXPECT_EQ(at(image, won.right() + 2, won.top() + 10), face);
            EXPECT_EQ(at(image, won.left() + 10, won.bottom() + 2), face);
            const QRect unpainted = day_cell_rect(w1, 9, g, v);
            EXPECT_EQ(at(image, unpainted.center().x(), unpainted.center().y()), face);

            // Day numbers: grey on weekdays, blue on Saturday even when selected.
            const QPoint ink = full_ink(glyphs::day_digit(3), glyphs::kDayDigitWidth);
            ASSERT_GE(ink.x(), 0);
            EXPECT_EQ(at(image, won.left() + g + 35 + ink.x(), won.top() + 2 + ink.y()),
                      blend(blend(face, fill, 255), gray_text_color(), 255));
            const QPoint six = full_ink(glyphs::day_digit(6), glyphs::kDayDigitWidth);
            EXPECT_EQ(at(image, sel.left() + g + 35 + six.x(), sel.top() + 2 + six.y()),
                      blend(blend(face, active_caption_color(), 255), QColor(0, 0, 255), 255));
            // The number ends at x + G + 45: the column after it is fill.
            EXPECT_EQ(at(image, won.left() + g + 46, won.top() + 10), fill);
        }
    }
}

TEST(CalendarPaint, TwoDigitNumbersSundaysAndBalances) {
    QImage image = picture(0, 0);
    clear_day_area(image);
    const QColor face = button_face_color();
    // 14 March 2004 is a Sunday: red digits 1 and 4 on a neutral fill.
    paint_day_cell(image, DayCell{2, 13, 0, 0, 0, false, 0}, ui_font(13));
    const QRect r = day_cell_rect(2, 13, 0, 0);
    EXPECT_EQ(r.left(), 0);
    const QColor base = blend(face, palette::neutral(), 255);
    const QPoint one = full_ink(glyphs::day_digit(1), glyphs::kDayDigitWidth);
    const QPoint four = full_ink(glyphs::day_digit(4), glyphs::kDayDigitWidth);
    EXPECT_EQ(at(image, r.left() + 25 + one.x(), r.top() + 2 + one.y()), blend(base, QColor(255, 0, 0), 255));
    EXPECT_EQ(at(image, r.left() + 35 + four.x(), r.top() + 2 + four.y()), blend(base, QColor(255, 0, 0), 255));
    // Without play records nothing is written where the balance goes; with them black digits are.
    auto dark_pixels = [&](const QRect& c) {
        int dark = 0;
        for (int y = c.top() + 19; y < c.top() + 33; ++y)
            for (int x = c.left() + 4; x <= c.right(); ++x) dark += QColor(image.pixel(x, y)).lightness() < 100;
        return dark;
    };
    EXPECT_EQ(dark_pixels(r), 0);
    paint_day_cell(image, DayCell{2, 2, 0, 0, kDayLost, true, -12345}, ui_font(13));
    EXPECT_GT(dark_pixels(day_cell_rect(2, 2, 0, 0)), 20);
}

// On a screen scaled by 2 the picture has twice the pixels each way: every part
// covers its whole place, and the balance is drawn at the full resolution, not
// enlarged from single pixels.
TEST(CalendarPaint, APictureAtRatioTwoIsDrawnWithItsOwnPixels) {
    QImage image(2 * 376, 2 * 230, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::green);
    paint_weekday_header(image, 0);
    clear_day_area(image);
    paint_day_cell(image, DayCell{2, 2, 0, 0, kDayLost, true, -12345}, ui_font(13));
    const QRect r = day_cell_rect(2, 2, 0, 0);
    const QColor fill = day_fill_color(kDayLost);
    const QColor face = button_face_color();
    const struct {
        int x, y;  // picture pixels
        QColor colour;
    } cases[] = {
        {2 * 375 + 1, 2 * 229 + 1, face},            // the last pixel of the day area
        {2 * 375 + 1, 25, gray_text_color()},        // the header's rule, both rows
        {2 * 375 + 1, 27, face},
        {2 * r.left() + 20, 2 * r.top() + 21, fill},  // left of the balance
        {2 * (r.left() + 47) + 1, 2 * (r.top() + 10) + 1, fill},  // right of the day number
    };
    for (const auto& c : cases) EXPECT_EQ(at(image, c.x, c.y), c.colour) << c.x << "," << c.y;
    // The balance's ink: some 2 x 2 block of it is not of one colour.
    int mixed = 0;
    for (int y = 2 * (r.top() + 19); y < 2 * (r.top() + 33); y += 2)
        for (int x = 2 * (r.left() + 4); x < 2 * r.right(); x += 2)
            mixed += image.pixel(x, y) != image.pixel(x + 1, y) || image.pixel(x, y) != image.pixel(x, y + 1);
    EXPECT_GT(mixed, 10);
}

// A balance stays inside its day cell whatever the font's line height (the test
// runs again with Noto Sans CJK JP as the only font): nothing is drawn on the rows
// under the cell, at the smallest height step and a taller one.
TEST(CalendarPaint, ABalanceStaysInsideItsCell) {
    for (int v : {0, 4}) {
        QImage image = picture(0, v);
        paint_day_cell(image, DayCell{2, 2, 0, v, kDayWon, true, -888888}, ui_font(13));
        const QRect r = day_cell_rect(2, 2, 0, v);
        int ink_inside = 0;
        for (int y = r.top() + v + 19; y <= r.bottom(); ++y)
            for (int x = r.left() + 4; x <= r.right(); ++x) ink_inside += at(image, x, y) != day_fill_color(kDayWon);
        EXPECT_GT(ink_inside, 20) << v;
        for (int y = r.bottom() + 1; y < r.bottom() + 6; ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(at(image, x, y), QColor(Qt::green)) << "v " << v << " at " << x << "," << y;
    }
}

TEST(CalendarPaint, WeekdayHeaderLabelsAndRule) {
    for (int g : {0, 9}) {
        QImage image = picture(g, 0);
        paint_weekday_header(image, g);
        const QColor face = button_face_color();
        for (int x = 0; x < image.width(); x += 7) {
            EXPECT_EQ(at(image, x, 12), gray_text_color());
            EXPECT_EQ(at(image, x, 13), face);
        }
        EXPECT_EQ(at(image, 0, 14), QColor(Qt::green));  // the day area is not touched
        const QColor inks[7] = {QColor(255, 0, 0), Qt::black, Qt::black, Qt::black, Qt::black, Qt::black, QColor(0, 0, 255)};
        for (int w = 0; w < 7; ++w) {
            const int width = glyphs::weekday_label_width(w);
            const QPoint p = full_ink(glyphs::weekday_label(w), width);
            ASSERT_GE(p.x(), 0);
            EXPECT_EQ(at(image, weekday_label_left(w, g, width) + p.x(), p.y()), blend(face, inks[w], 255)) << w;
        }
    }
}

TEST(CalendarPaint, MonthNumbersSitCentredOrSideBySide) {
    const QColor face = button_face_color();
    auto ink_columns = [&](const QImage& image) {
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (QColor(image.pixel(x, y)) != face) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::pair{first, last};
    };
    const QImage three = month_number_image(3);
    ASSERT_EQ(three.size(), QSize(68, 50));
    const auto [f3, l3] = ink_columns(three);
    EXPECT_GE(f3, 17);
    EXPECT_LT(l3, 51);
    const auto [f12, l12] = ink_columns(month_number_image(12));
    EXPECT_LT(f12, 17);
    EXPECT_GE(l12, 51);

    // The run-length pairs fill exactly 34 columns of 50 pixels, and decode to near-black where alpha is 255.
    for (int digit = 0; digit < 10; ++digit) {
        const auto runs = glyphs::month_digit_runs(digit);
        int pixels = 0;
        for (std::size_t k = 0; k < runs.size(); k += 2) pixels += runs[k];
        EXPECT_EQ(pixels, 34 * 50) << digit;
    }
    QImage one(68, 50, QImage::Format_RGB32);
    one.fill(face);
    paint_month_digit(one, 17, 1);
    const auto runs = glyphs::month_digit_runs(1);
    int pos = 0;
    for (std::size_t k = 0; k < runs.size(); k += 2) {
        if (runs[k + 1] == 255) {
            EXPECT_EQ(at(one, 17 + pos / 50, pos % 50), blend(face, Qt::black, 255));
            break;
        }
        pos += runs[k];
    }
}

}  // namespace
}  // namespace velmo::calendar
