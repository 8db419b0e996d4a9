#pragma once
// The 分布 page's picture: the histogram of the balance per visit with the zero
// line and the mean marked, and under it the running total of the visits with
// the maximum drawdown shaded.
#include <QWidget>

#include "analysis/analysis_calc.h"

namespace velmo::analysis {

struct ChartData {
    Histogram histogram;
    std::vector<std::int64_t> running;
    std::optional<double> mean;
};

// Paints data into rect (the whole chart: histogram above, running total below).
void paint_distribution(QPainter& painter, const QRect& rect, const ChartData& data);

class DistributionChart : public QWidget {
    Q_OBJECT
public:
    explicit DistributionChart(QWidget* parent = nullptr);
    void set_data(ChartData data);
    const ChartData& data() const { return data_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChartData data_;
};

}  // namespace velmo::analysis
