#include "framework/printer.h"

#include <QPainter>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace velmo {

namespace {

class SystemPrinter : public Printer {
public:
    bool installed() override { return !QPrinterInfo::availablePrinters().isEmpty(); }
    QSize page_pixels() override {
        QPrinter& p = device();
        return QSize(p.width(), p.height());
    }
    bool setup_dialog(QWidget* parent) override {
        QPageSetupDialog dialog(&device(), parent);
        return dialog.exec() == QDialog::Accepted;
    }
    bool print_dialog(QWidget* parent) override {
        QPrintDialog dialog(&device(), parent);
        return dialog.exec() == QDialog::Accepted;
    }
    QPainter* begin_document() override {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&device())) {
            painter_.reset();
            return nullptr;
        }
        return painter_.get();
    }
    bool new_page() override { return device().newPage(); }
    void end_document() override {
        if (painter_) painter_->end();
        painter_.reset();
    }

private:
    QPrinter& device() {
        if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *printer_;
    }
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

SystemPrinter* g_system = nullptr;
Printer* g_current = nullptr;

}  // namespace

Printer& printer() {
    if (g_current) return *g_current;
    if (!g_system) g_system = new SystemPrinter();  // lives as long as the program
    return *g_system;
}

void set_printer(Printer* p) { g_current = p; }

ImagePrinter::ImagePrinter(QSize page_size) : page(page_size) { set_printer(this); }

ImagePrinter::~ImagePrinter() {
    painter_.reset();
    if (g_current == this) set_printer(nullptr);
}

QPainter* ImagePrinter::begin_document() {
    ++documents_begun;
    pages.clear();
    pages.emplace_back(page, QImage::Format_RGB32);
    pages.back().fill(Qt::white);
    painter_ = std::make_unique<QPainter>(&pages.back());
    return painter_.get();
}

bool ImagePrinter::new_page() {
    if (!painter_) return false;
    painter_->end();
    pages.emplace_back(page, QImage::Format_RGB32);
    pages.back().fill(Qt::white);
    painter_->begin(&pages.back());
    return true;
}

void ImagePrinter::end_document() {
    ++documents_ended;
    if (painter_) painter_->end();
    painter_.reset();
}

}  // namespace velmo
