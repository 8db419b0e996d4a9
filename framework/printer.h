#pragma once
// The printer as the program sees it: whether one is installed, the page size
// in device pixels, the setup and print dialogs, and pages to draw on. The
// real one is one QPrinter on a CUPS queue, laid out at the queue's own
// resolution; PdfFilePrinter writes a PDF file; tests use ImagePrinter, whose
// pages are images of a given size.
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QWidget;

namespace velmo {

class Printer {
public:
    virtual ~Printer() = default;
    virtual bool installed() = 0;
    // The printable page of the current printer, in device pixels.
    virtual QSize page_pixels() = 0;
    virtual bool setup_dialog(QWidget* parent) = 0;  // printer setup; true when confirmed
    virtual bool print_dialog(QWidget* parent) = 0;  // true when the user chose to print
    // A print job named `name` (the queue names its output after it): begin
    // gives the painter of the first page, nullptr when the job cannot start.
    virtual QPainter* begin_document(const QString& name) = 0;
    virtual bool new_page() = 0;
    virtual void end_document() = 0;
};

Printer& printer();
void set_printer(Printer* p);  // not owned; nullptr: the system's printer

// Without a printer the preview shows the page a PDF file gets: A4 at this resolution.
constexpr int kNoPrinterDpi = 300;
// The page in device pixels that the preview shows: the printer's, or without one
// the whole A4 page at kNoPrinterDpi.
QSize preview_page_pixels();

// Resolution used where a queue declares none.
constexpr int kFallbackDpi = 600;

// A declared resolution in dots per inch (per_cm: the value is dots per centimetre);
// 0 when the value cannot be a printer's resolution.
int resolution_in_dpi(int value, bool per_cm);
// The resolution a page is laid out at: the queue's own, else kFallbackDpi.
int layout_resolution(int declared_dpi);
// The default resolution the CUPS queue declares, in dots per inch; 0 when it declares none.
int queue_resolution(const QString& queue);

// What printer setup chooses, and every preview and print job uses.
struct PrinterSettings {
    QString printer;  // queue name
    QPageSize paper = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// A Printer over one QPrinter: its page is the paper's printable area at the
// QPrinter's resolution.
class QtPrinter : public Printer {
public:
    QSize page_pixels() override;
    QPainter* begin_document(const QString& name) override;
    bool new_page() override;
    void end_document() override;
    QPrinter& device() { return device_; }

protected:
    QtPrinter();
    ~QtPrinter() override;
    // Paper and orientation, with the margins the device cannot print on and no more.
    void set_paper(const QPageSize& paper, QPageLayout::Orientation orientation);

    QPrinter device_{QPrinter::HighResolution};
    std::unique_ptr<QPainter> painter_;
};

// The system's CUPS queues. Printer, paper and orientation chosen in printer
// setup carry over to the preview and to every print job, whatever the print
// dialog does to its QPrinter.
class SystemPrinter : public QtPrinter {
public:
    SystemPrinter();  // the default queue, with its default paper
    bool installed() override;
    bool setup_dialog(QWidget* parent) override;
    bool print_dialog(QWidget* parent) override;

    const PrinterSettings& settings() const { return settings_; }
    // Chooses printer, paper and orientation, as confirming printer setup does.
    void choose(const PrinterSettings& settings);
    int resolution() { return device_.resolution(); }

protected:
    // The dialogs themselves; tests replace them.
    virtual std::optional<PrinterSettings> run_setup_dialog(QWidget* parent);
    virtual bool run_print_dialog(QWidget* parent);

private:
    PrinterSettings settings_;
};

// Prints into a PDF file at a given resolution, without dialogs.
class PdfFilePrinter : public QtPrinter {
public:
    PdfFilePrinter(const QString& file, int dpi, const QPageSize& paper = QPageSize(QPageSize::A4),
                   QPageLayout::Orientation orientation = QPageLayout::Portrait);
    bool installed() override { return true; }
    bool setup_dialog(QWidget*) override { return true; }
    bool print_dialog(QWidget*) override { return true; }
};

class ImagePrinter : public Printer {
public:
    explicit ImagePrinter(QSize page);  // installs itself
    ~ImagePrinter() override;

    bool has_printer = true;
    bool confirm = true;  // answer of the dialogs
    QSize page;
    std::vector<QImage> pages;  // the pages of the last job
    QString document_name;      // the name of the last job
    int documents_begun = 0;
    int documents_ended = 0;

    bool installed() override { return has_printer; }
    QSize page_pixels() override { return page; }
    bool setup_dialog(QWidget*) override { return confirm; }
    bool print_dialog(QWidget*) override { return confirm; }
    QPainter* begin_document(const QString& name) override;
    bool new_page() override;
    void end_document() override;

private:
    std::unique_ptr<QPainter> painter_;
};

}  // namespace velmo
