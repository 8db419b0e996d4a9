#pragma once
// The printer setup dialog: which printer, which paper, which orientation.
#include <QDialog>
#include <QList>
#include <QPageSize>
#include <QStringList>

#include <functional>

#include "framework/printer.h"

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace velmo {

// The papers a queue offers, and whether it takes a paper of any size.
struct QueuePapers {
    QList<QPageSize> papers;
    bool custom = false;
    QSizeF min_mm, max_mm;  // the range of a custom paper
};

class PrinterSetupDialog : public QDialog {
public:
    using PapersOf = std::function<QueuePapers(const QString& queue)>;
    PrinterSetupDialog(const PrinterSettings& current, const QStringList& queues, PapersOf papers_of,
                       QWidget* parent = nullptr);

    // The choice as the dialog shows it.
    PrinterSettings settings() const;

    QComboBox* printer_box = nullptr;
    QComboBox* paper_box = nullptr;  // the queue's papers, then the custom size when it takes one
    QDoubleSpinBox* custom_width = nullptr;   // millimetres
    QDoubleSpinBox* custom_height = nullptr;
    QRadioButton* portrait = nullptr;
    QRadioButton* landscape = nullptr;

private:
    void fill_papers(const QPageSize& wanted);
    void update_custom();

    PapersOf papers_of_;
    QueuePapers shown_;
    QSizeF custom_mm_{210, 297};  // the custom size, kept while another paper is shown
    QSizeF custom_low_{1, 1}, custom_high_{10000, 10000};
    bool showing_custom_ = false;  // the boxes hold the custom size
};

// The papers of a CUPS queue, as Qt reads them.
QueuePapers system_queue_papers(const QString& queue);

}  // namespace velmo
