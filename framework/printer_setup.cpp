#include "framework/cp932.h"
#include "framework/printer_setup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmo {

namespace {
using velmo::u;
constexpr int kCustomItem = -1;
}  // namespace

QueuePapers system_queue_papers(const QString& queue) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
    QueuePapers result;
    result.papers = info.supportedPageSizes();
    result.custom = info.supportsCustomPageSizes();
    result.min_mm = info.minimumPhysicalPageSize().size(QPageSize::Millimeter);
    result.max_mm = info.maximumPhysicalPageSize().size(QPageSize::Millimeter);
    return result;
}

PrinterSetupDialog::PrinterSetupDialog(const PrinterSettings& current, const QStringList& queues,
                                       PapersOf papers_of, QWidget* parent)
    : QDialog(parent), papers_of_(std::move(papers_of)) {
    setWindowTitle(u("印刷設定"));
    printer_box = new QComboBox(this);
    printer_box->addItems(queues);
    paper_box = new QComboBox(this);
    custom_width = new QDoubleSpinBox(this);
    custom_height = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* box : {custom_width, custom_height}) {
        box->setDecimals(1);
        box->setSuffix(QStringLiteral(" mm"));
    }
    portrait = new QRadioButton(u("縦"), this);
    landscape = new QRadioButton(u("横"), this);
    (current.orientation == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);

    auto* form = new QFormLayout();
    form->addRow(u("プリンタ名:"), printer_box);
    form->addRow(u("用紙サイズ:"), paper_box);
    form->addRow(u("幅:"), custom_width);
    form->addRow(u("高さ:"), custom_height);
    auto* orientation = new QGroupBox(u("印刷の向き"), this);
    auto* orientation_row = new QHBoxLayout(orientation);
    orientation_row->addWidget(portrait);
    orientation_row->addWidget(landscape);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(u("キャンセル"));
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(orientation);
    column->addWidget(buttons);

    int index = printer_box->findText(current.printer);
    printer_box->setCurrentIndex(index >= 0 ? index : 0);
    fill_papers(current.paper);
    connect(printer_box, &QComboBox::currentIndexChanged, this, [this] { fill_papers(settings().paper); });
    connect(paper_box, &QComboBox::currentIndexChanged, this, [this] { update_custom(); });
    connect(landscape, &QRadioButton::toggled, this, [this] { update_custom(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

// Lists the papers of the chosen queue and selects `wanted` among them: the
// same paper, else the custom size when the queue takes one, else its first.
void PrinterSetupDialog::fill_papers(const QPageSize& wanted) {
    shown_ = papers_of_ ? papers_of_(printer_box->currentText()) : QueuePapers{};
    const QSignalBlocker block(paper_box);
    paper_box->clear();
    int selected = -1;
    for (int i = 0; i < shown_.papers.size(); ++i) {
        paper_box->addItem(shown_.papers[i].name(), i);
        if (selected < 0 && wanted.isValid() && shown_.papers[i].isEquivalentTo(wanted)) selected = i;
    }
    const QSizeF wanted_mm = wanted.isValid() ? wanted.size(QPageSize::Millimeter) : QSizeF(210, 297);
    showing_custom_ = false;
    if (shown_.custom) {
        paper_box->addItem(u("ユーザー定義サイズ"), kCustomItem);
        custom_low_ = shown_.min_mm.isValid() ? shown_.min_mm : QSizeF(1, 1);
        custom_high_ = shown_.max_mm.isValid() && !shown_.max_mm.isEmpty() ? shown_.max_mm : QSizeF(10000, 10000);
        custom_mm_ = QSizeF(std::clamp(wanted_mm.width(), custom_low_.width(), custom_high_.width()),
                            std::clamp(wanted_mm.height(), custom_low_.height(), custom_high_.height()));
        if (selected < 0 && wanted.isValid()) selected = paper_box->count() - 1;
    }
    paper_box->setCurrentIndex(selected >= 0 ? selected : 0);
    update_custom();
}

void PrinterSetupDialog::update_custom() {
    const bool custom = paper_box->currentData().toInt() == kCustomItem && paper_box->count() > 0;
    // The user's custom size is kept while another paper is shown.
    if (showing_custom_) custom_mm_ = QSizeF(custom_width->value(), custom_height->value());
    showing_custom_ = custom;
    const QSignalBlocker block_width(custom_width);
    const QSignalBlocker block_height(custom_height);
    if (custom) {
        custom_width->setRange(custom_low_.width(), custom_high_.width());
        custom_height->setRange(custom_low_.height(), custom_high_.height());
        custom_width->setValue(custom_mm_.width());
        custom_height->setValue(custom_mm_.height());
    } else {
        // A named paper's size, greyed, as it lies in the chosen orientation.
        QSizeF size;
        const int item = paper_box->currentData().toInt();
        if (paper_box->count() > 0 && item >= 0 && item < shown_.papers.size())
            size = shown_.papers[item].size(QPageSize::Millimeter);
        if (landscape->isChecked()) size.transpose();
        for (QDoubleSpinBox* box : {custom_width, custom_height}) box->setRange(0, 100000);
        custom_width->setValue(size.isValid() ? size.width() : 0);
        custom_height->setValue(size.isValid() ? size.height() : 0);
    }
    custom_width->setEnabled(custom);
    custom_height->setEnabled(custom);
}

PrinterSettings PrinterSetupDialog::settings() const {
    PrinterSettings s;
    s.printer = printer_box->currentText();
    s.orientation = landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    const int item = paper_box->currentData().toInt();
    if (paper_box->count() == 0)
        s.paper = QPageSize();
    else if (item == kCustomItem)
        s.paper = QPageSize(QSizeF(custom_width->value(), custom_height->value()), QPageSize::Millimeter, QString(),
                            QPageSize::ExactMatch);
    else
        s.paper = shown_.papers[item];
    return s;
}

}  // namespace velmo
