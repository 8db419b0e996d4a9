// The printer's resolution and the printer setup dialog.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "framework/printer.h"
#include "framework/printer_setup.h"

namespace velmo {
namespace {

TEST(PrinterResolution, TheQueuesOwnElseTheFallback) {
    EXPECT_EQ(resolution_in_dpi(300, false), 300);
    EXPECT_EQ(resolution_in_dpi(118, true), 300);  // dots per centimetre
    EXPECT_EQ(resolution_in_dpi(0, false), 0);
    EXPECT_EQ(resolution_in_dpi(-600, false), 0);
    EXPECT_EQ(resolution_in_dpi(1000000, false), 0);
    EXPECT_EQ(layout_resolution(300), 300);
    EXPECT_EQ(layout_resolution(0), kFallbackDpi);
}

// Queue "A" offers three papers; "B" others, and any size from 10 x 10 to 500 x 1000 mm.
QueuePapers papers_of(const QString& queue) {
    QueuePapers p;
    if (queue == QStringLiteral("A")) {
        p.papers = {QPageSize(QPageSize::A4), QPageSize(QPageSize::A3), QPageSize(QPageSize::Letter)};
    } else {
        p.papers = {QPageSize(QPageSize::A4), QPageSize(QPageSize::B5), QPageSize(QPageSize::EnvelopeMonarch)};
        p.custom = true;
        p.min_mm = QSizeF(10, 10);
        p.max_mm = QSizeF(500, 1000);
    }
    return p;
}

TEST(PrinterSetup, ShowsAndReturnsPrinterPaperAndOrientation) {
    PrinterSettings current{QStringLiteral("A"), QPageSize(QPageSize::A3), QPageLayout::Landscape};
    PrinterSetupDialog dialog(current, {QStringLiteral("A"), QStringLiteral("B")}, papers_of);
    EXPECT_EQ(dialog.printer_box->currentText(), QStringLiteral("A"));
    EXPECT_EQ(dialog.paper_box->currentText(), QPageSize(QPageSize::A3).name());
    EXPECT_EQ(dialog.paper_box->count(), 3);  // no custom size on A
    EXPECT_TRUE(dialog.landscape->isChecked());
    PrinterSettings shown = dialog.settings();
    EXPECT_EQ(shown.printer, QStringLiteral("A"));
    EXPECT_TRUE(shown.paper.isEquivalentTo(QPageSize(QPageSize::A3)));
    EXPECT_EQ(shown.orientation, QPageLayout::Landscape);

    // B lacks A3 but takes any size: the same paper, as a custom size.
    dialog.printer_box->setCurrentIndex(1);
    EXPECT_EQ(dialog.paper_box->count(), 4);
    EXPECT_TRUE(dialog.custom_width->isEnabled());
    EXPECT_TRUE(dialog.settings().paper.isEquivalentTo(QPageSize(QPageSize::A3)));
    dialog.custom_width->setValue(250);
    dialog.custom_height->setValue(300);
    dialog.portrait->setChecked(true);
    shown = dialog.settings();
    EXPECT_EQ(shown.printer, QStringLiteral("B"));
    EXPECT_NEAR(shown.paper.size(QPageSize::Millimeter).width(), 250, 0.01);
    EXPECT_NEAR(shown.paper.size(QPageSize::Millimeter).height(), 300, 0.01);
    EXPECT_EQ(shown.orientation, QPageLayout::Portrait);

    // A paper both queues offer stays chosen when the printer changes.
    dialog.paper_box->setCurrentIndex(dialog.paper_box->findText(QPageSize(QPageSize::A4).name()));
    EXPECT_FALSE(dialog.custom_width->isEnabled());
    dialog.printer_box->setCurrentIndex(0);
    EXPECT_EQ(dialog.paper_box->currentText(), QPageSize(QPageSize::A4).name());
    // A paper that queue cannot take falls back to its first.
    dialog.printer_box->setCurrentIndex(1);
    dialog.paper_box->setCurrentIndex(dialog.paper_box->findText(QPageSize(QPageSize::EnvelopeMonarch).name()));
    dialog.printer_box->setCurrentIndex(0);
    EXPECT_EQ(dialog.paper_box->currentIndex(), 0);
}

// The greyed width and height show the chosen paper as it lies; the custom size
// the user typed comes back when the custom paper is chosen again.
TEST(PrinterSetup, WidthAndHeightShowTheChosenPaper) {
    PrinterSettings current{QStringLiteral("A"), QPageSize(QPageSize::A3), QPageLayout::Landscape};
    PrinterSetupDialog dialog(current, {QStringLiteral("A"), QStringLiteral("B")}, papers_of);
    const auto shown = [&] { return QSizeF(dialog.custom_width->value(), dialog.custom_height->value()); };
    const auto choose = [&](const QString& name) { dialog.paper_box->setCurrentIndex(dialog.paper_box->findText(name)); };
    EXPECT_EQ(shown(), QSizeF(420, 297));  // A3 lying on its side
    dialog.portrait->setChecked(true);
    EXPECT_EQ(shown(), QSizeF(297, 420));
    dialog.printer_box->setCurrentIndex(1);
    choose(QPageSize(QPageSize::EnvelopeMonarch).name());
    EXPECT_NEAR(shown().width(), 98.4, 0.1);
    EXPECT_NEAR(shown().height(), 190.5, 0.1);
    EXPECT_FALSE(dialog.custom_width->isEnabled());
    choose(QStringLiteral("ユーザー定義サイズ"));
    EXPECT_TRUE(dialog.custom_height->isEnabled());
    dialog.custom_width->setValue(250);
    dialog.custom_height->setValue(300);
    choose(QPageSize(QPageSize::A4).name());
    EXPECT_EQ(shown(), QSizeF(210, 297));
    EXPECT_TRUE(dialog.settings().paper.isEquivalentTo(QPageSize(QPageSize::A4)));
    choose(QStringLiteral("ユーザー定義サイズ"));
    EXPECT_EQ(shown(), QSizeF(250, 300));
    EXPECT_NEAR(dialog.settings().paper.size(QPageSize::Millimeter).width(), 250, 0.01);
}

TEST(PrinterSetup, AQueueThatIsGoneGivesWayToTheFirst) {
    PrinterSettings current{QStringLiteral("gone"), QPageSize(QPageSize::Letter), QPageLayout::Portrait};
    PrinterSetupDialog dialog(current, {QStringLiteral("A"), QStringLiteral("B")}, papers_of);
    EXPECT_EQ(dialog.settings().printer, QStringLiteral("A"));
    EXPECT_TRUE(dialog.settings().paper.isEquivalentTo(QPageSize(QPageSize::Letter)));
    EXPECT_TRUE(dialog.portrait->isChecked());
}

}  // namespace
}  // namespace velmo
