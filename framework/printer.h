#pragma once
// The printer as the program sees it: whether one is installed, the page size
// in device pixels, the setup and print dialogs, and pages to draw on. The
// real one goes through the system's print service; tests use ImagePrinter,
// whose pages are images of a given size.
#include <QImage>
#include <QSize>

#include <memory>
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
    // A print job: begin gives the painter of the first page.
    virtual QPainter* begin_document() = 0;
    virtual bool new_page() = 0;
    virtual void end_document() = 0;
};

Printer& printer();
void set_printer(Printer* p);  // not owned; nullptr: the system's printer

class ImagePrinter : public Printer {
public:
    explicit ImagePrinter(QSize page);  // installs itself
    ~ImagePrinter() override;

    bool has_printer = true;
    bool confirm = true;  // answer of the dialogs
    QSize page;
    std::vector<QImage> pages;  // the pages of the last job
    int documents_begun = 0;
    int documents_ended = 0;

    bool installed() override { return has_printer; }
    QSize page_pixels() override { return page; }
    bool setup_dialog(QWidget*) override { return confirm; }
    bool print_dialog(QWidget*) override { return confirm; }
    QPainter* begin_document() override;
    bool new_page() override;
    void end_document() override;

private:
    std::unique_ptr<QPainter> painter_;
};

}  // namespace velmo
