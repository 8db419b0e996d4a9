#pragma once
// The 期待値 chart: the running 実収支 and the running 仕事量 of the entries
// with an expected value, in date order, with the bands of ±1σ and ±2σ of luck
// around the 仕事量 line (the spread luck alone gives the running 実収支).
// Drawn like the analysis window's other charts; a widget that paints it at
// the screen's device pixel ratio, and the painter alone for an image.
#include <QString>
#include <QWidget>

#include <vector>

#include "play/expect_calc.h"

class QPainter;

namespace velmo::play {

struct ExpectChartData {
    std::vector<ExpectPoint> points;  // expect_points, in date order
    std::vector<QString> dates;       // the date of each point ("2024/3/15"), for the axis
    ExpectFigures figures;            // the slice's exact sums: the count and the totals printed
};

// Paints data into rect (logical pixels of the painter's device).
void paint_expect_chart(QPainter& painter, const QRect& rect, const ExpectChartData& data);

class ExpectChart : public QWidget {
    Q_OBJECT
public:
    explicit ExpectChart(QWidget* parent = nullptr);
    void set_data(ExpectChartData data);
    const ExpectChartData& data() const { return data_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ExpectChartData data_;
};

}  // namespace velmo::play
