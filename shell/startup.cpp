// Start-up, dropped files and shut-down of the main window.
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include "framework/runtime.h"
#include "ledger/registry_file.h"
#include "shell/tform1.h"

void TForm1::init() {
    velmo::read_registry();
    file_name = QStringLiteral("vq") + QString::fromStdString(year_text) + QStringLiteral(".vqd");
    if (!arguments.isEmpty()) file_name = arguments.first();
    load_ledger();
    if (closed_by_format_error) return;
    StringGrid1Click();
    centre_on_screen();
    if (vsize_level > 0) Button5->setEnabled(true);
    if (hsize_level > 0) Button4->setEnabled(true);
}

void TForm1::centre_on_screen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->geometry();
    QSize frame = frameGeometry().size();
    move(area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2);
}

void TForm1::open_dropped_file(const QString& path) {
    raise();
    activateWindow();
    PageControl1->setCurrentWidget(TabSheet1);
    if (!save_ledger()) return;  // the edited ledger stays open
    clear_ledger();
    file_name = path;
    load_ledger();
    if (closed_by_format_error) return;
    PageControl1->setCurrentWidget(TabSheet1);
    // The details of the new ledger, never those of the one before.
    if (view_flags & TForm1::kCalendarShown) redraw_calendar_after_load();
    else StringGrid1Click();
}

bool TForm1::save_shusi() { return save_ledger(); }

void TForm1::FormDestroy() {
    attr_mask.clear();
    attr_mask_present = false;
}
