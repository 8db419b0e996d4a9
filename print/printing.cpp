// Printing the year report, and the commands of the File menu that lead there.
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <optional>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/printer.h"
#include "ledger/ledger_model.h"
#include "print/report_paint.h"
#include "print/tform4.h"
#include "shell/tform1.h"
#include "views/totals.h"
#include "views/year_list_paint.h"

namespace {
using velmo::u;
}  // namespace

void TForm1::setup_print_commands() {
    connect(PrintSet1, &QAction::triggered, this, [this] { PrintSetClick(); });
    connect(PrintPreview1, &QAction::triggered, this, [this] { PrintPreview1Click(); });
    connect(Print1, &QAction::triggered, this, [this] { Print1Click(); });
}

velmo::ReportData TForm1::report_data() {
    velmo::ReportData report;
    report.year = velmo::from_cp932(year_text);
    const int year = velmo::year_text_value(year_text);
    // The running totals are the year list's, computed from the kept balances.
    const auto figures = ledger_figures().rows();
    const std::vector<int> running = velmo::compute_totals(velmo::balances_of(figures, figures.size())).running;
    const velmo::LedgerView& ledger = ledger_view();
    for (int r = 1; r <= ledger.record_count(); ++r) {
        const velmo::LedgerRecord record = ledger.record(r);
        velmo::ReportRow row;
        row.month = velmo::date_text_month(record.date);
        row.weekday = velmo::from_cp932(velmo::weekday_letter(year, row.month, velmo::date_text_day(record.date)));
        row.date = velmo::from_cp932(record.date);
        row.hall = velmo::from_cp932(record.hall);
        row.machines = velmo::from_cp932(record.machines);
        row.balance = velmo::from_cp932(record.balance);
        const auto i = static_cast<std::size_t>(r - 1);
        if (i < running.size()) row.total = QString::number(running[i]);
        report.rows.push_back(std::move(row));
    }
    const velmo::MonthlyTexts& monthly = monthly_texts();
    for (std::size_t k = 0; k < monthly.size(); ++k)
        for (std::size_t c = 0; c < monthly[k].size(); ++c) report.monthly[k][c] = velmo::from_cp932(monthly[k][c]);
    report.year_total = year_total;
    return report;
}

void TForm1::PrintSetClick() {
    if (!velmo::printer().installed()) {
        velmo::dialogs().message(u("プリンタがインストールされていません"));
        return;
    }
    velmo::printer().setup_dialog(this);
}

bool TForm1::page_fits_report(const QSize& page, int scale) {
    const velmo::PageValues v = velmo::page_values(page.width() / scale, page.height() / scale, scale);
    if (v.blocks_per_page < 1) {
        velmo::dialogs().message(u("用紙の横サイズが小さすぎです"));
        return false;
    }
    if (v.full_rows < 1) {
        velmo::dialogs().message(u("用紙の縦サイズが小さすぎです"));
        return false;
    }
    return true;
}

void TForm1::Print1Click() {
    velmo::Printer& printer = velmo::printer();
    if (printer.installed()) {
        if (printer.print_dialog(this)) print_report(printer);
        return;
    }
    // Without a printer the year can still be kept as a PDF file of A4 pages.
    if (!velmo::dialogs().question(u("プリンタがインストールされていません。\nPDFファイルに書き出しますか？"))) return;
    QString initial = QFileInfo(file_name).completeBaseName();
    if (initial.isEmpty()) initial = report_data().year;
    initial = QFileInfo(file_name).absoluteDir().filePath(initial + QStringLiteral(".pdf"));
    const std::optional<QString> file = velmo::dialogs().save_file(u("PDFファイル|*.pdf"), initial);
    if (!file) return;
    velmo::PdfFilePrinter pdf(*file, velmo::kNoPrinterDpi);
    print_report(pdf);
}

void TForm1::print_report(velmo::Printer& printer) {
    const QSize page = printer.page_pixels();
    if (!page_fits_report(page, 1)) return;
    const velmo::PageValues values = velmo::page_values(page.width(), page.height(), 1);
    const auto plan = velmo::plan_report(rec_count, values, 1);
    const velmo::ReportData report = report_data();
    // The job is named after the ledger file, so a queue that writes files names its file after it.
    QString name = QFileInfo(file_name).fileName();
    if (name.isEmpty()) name = report.year + QStringLiteral(".vqd");
    QPainter* painter = printer.begin_document(name);
    if (!painter) {
        velmo::dialogs().message(u("印刷を開始できませんでした"));
        return;
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (i > 0 && !printer.new_page()) break;
        velmo::draw_report_page(*painter, report, plan[i], values, 1, page.width(), page.height());
    }
    printer.end_document();
}

void TForm1::PrintPreview1Click() {
    // Without a printer the preview shows the A4 page a PDF file would get.
    if (!page_fits_report(velmo::preview_page_pixels(), 5)) return;
    Form4->show();
    Form4->raise();
}
