#include "framework/printer.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>

#include <cmath>

#include <cups/cups.h>

#include "framework/printer_setup.h"

namespace velmo {

namespace {

SystemPrinter* g_system = nullptr;
Printer* g_current = nullptr;

}  // namespace

Printer& printer() {
    if (g_current) return *g_current;
    if (!g_system) g_system = new SystemPrinter();  // lives as long as the program
    return *g_system;
}

void set_printer(Printer* p) { g_current = p; }

int resolution_in_dpi(int value, bool per_cm) {
    const long dpi = per_cm ? std::lround(value * 2.54) : value;
    return dpi >= 72 && dpi <= 9600 ? static_cast<int>(dpi) : 0;
}

int layout_resolution(int declared_dpi) { return declared_dpi > 0 ? declared_dpi : kFallbackDpi; }

// The queue's "printer-resolution-default"; for a queue with a PPD, CUPS
// derives it from the PPD's default resolution.
int queue_resolution(const QString& queue) {
    if (queue.isEmpty()) return 0;
    const QByteArray name = queue.toLocal8Bit();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest) return 0;
    int dpi = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
            attr && ippGetValueTag(attr) == IPP_TAG_RESOLUTION) {
            ipp_res_t units = IPP_RES_PER_INCH;
            int y = 0;
            const int x = ippGetResolution(attr, 0, &y, &units);
            dpi = resolution_in_dpi(x, units == IPP_RES_PER_CM);
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return dpi;
}

QtPrinter::QtPrinter() = default;

QtPrinter::~QtPrinter() { painter_.reset(); }

QSize QtPrinter::page_pixels() { return QSize(device_.width(), device_.height()); }

void QtPrinter::set_paper(const QPageSize& paper, QPageLayout::Orientation orientation) {
    if (paper.isValid()) device_.setPageSize(paper);
    device_.setPageOrientation(orientation);
    // The page is what the device can print on, as large as it goes.
    device_.setPageMargins(device_.pageLayout().minimumMargins(), device_.pageLayout().units());
}

QPainter* QtPrinter::begin_document(const QString& name) {
    device_.setDocName(name);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&device_)) {
        painter_.reset();
        return nullptr;
    }
    return painter_.get();
}

bool QtPrinter::new_page() { return device_.newPage(); }

void QtPrinter::end_document() {
    if (painter_) painter_->end();
    painter_.reset();
}

SystemPrinter::SystemPrinter() {
    PrinterSettings s;
    s.printer = QPrinterInfo::defaultPrinterName();
    if (s.printer.isEmpty()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.isEmpty()) s.printer = names.front();
    }
    if (!s.printer.isEmpty()) {
        const QPageSize paper = QPrinterInfo::printerInfo(s.printer).defaultPageSize();
        if (paper.isValid()) s.paper = paper;
    }
    choose(s);
}

bool SystemPrinter::installed() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

void SystemPrinter::choose(const PrinterSettings& settings) {
    settings_ = settings;
    if (!settings_.printer.isEmpty()) device_.setPrinterName(settings_.printer);
    // Qt's HighResolution is a fixed 1200 dpi whatever the queue prints at.
    device_.setResolution(layout_resolution(queue_resolution(settings_.printer)));
    set_paper(settings_.paper, settings_.orientation);
}

std::optional<PrinterSettings> SystemPrinter::run_setup_dialog(QWidget* parent) {
    PrinterSetupDialog dialog(settings_, QPrinterInfo::availablePrinterNames(), system_queue_papers, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.settings();
}

bool SystemPrinter::setup_dialog(QWidget* parent) {
    const std::optional<PrinterSettings> chosen = run_setup_dialog(parent);
    if (!chosen) return false;
    choose(*chosen);
    return true;
}

bool SystemPrinter::run_print_dialog(QWidget* parent) {
    QPrintDialog dialog(&device_, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies);
    return dialog.exec() == QDialog::Accepted;
}

// The print dialog may set its QPrinter to the queue's default paper; the
// paper and orientation of printer setup stay, on the queue the user confirmed.
bool SystemPrinter::print_dialog(QWidget* parent) {
    const bool accepted = run_print_dialog(parent);
    PrinterSettings s = settings_;
    if (accepted && !device_.printerName().isEmpty()) s.printer = device_.printerName();
    choose(s);
    return accepted;
}

QSize preview_page_pixels() {
    if (printer().installed()) return printer().page_pixels();
    return QPageSize(QPageSize::A4).sizePixels(kNoPrinterDpi);
}

PdfFilePrinter::PdfFilePrinter(const QString& file, int dpi, const QPageSize& paper,
                               QPageLayout::Orientation orientation) {
    device_.setOutputFormat(QPrinter::PdfFormat);
    device_.setOutputFileName(file);
    device_.setResolution(dpi);
    set_paper(paper, orientation);
}

ImagePrinter::ImagePrinter(QSize page_size) : page(page_size) { set_printer(this); }

ImagePrinter::~ImagePrinter() {
    painter_.reset();
    if (g_current == this) set_printer(nullptr);
}

QPainter* ImagePrinter::begin_document(const QString& name) {
    ++documents_begun;
    document_name = name;
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
