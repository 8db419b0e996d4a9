#include "framework/widgets.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

#include "framework/draw.h"

namespace velmo {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {}

void StatusBar::set_panel_count(int n) {
    texts_.resize(static_cast<size_t>(std::max(0, n)));
    widths_.resize(texts_.size(), 50);
    update();
}

void StatusBar::set_panel_width(int panel, int width) {
    if (panel < 0 || panel >= panel_count()) return;
    widths_[static_cast<size_t>(panel)] = width;
    update();
}

int StatusBar::panel_width(int panel) const {
    return panel >= 0 && panel < panel_count() ? widths_[static_cast<size_t>(panel)] : 0;
}

void StatusBar::set_panel_text(int panel, const QString& text) {
    if (panel < 0 || panel >= panel_count()) return;
    texts_[static_cast<size_t>(panel)] = text;
    update();
}

QString StatusBar::panel_text(int panel) const {
    return panel >= 0 && panel < panel_count() ? texts_[static_cast<size_t>(panel)] : QString();
}

void StatusBar::set_font_height(int pixels) {
    font_height_ = pixels;
    update();
}

int StatusBar::panel_width_for(const QString& text, int font_height) {
    // paintEvent leaves the text a panel's width less four pixels: the gap to the
    // next panel, the left and right borders and a pixel before the text.
    const QFontMetrics metrics(ui_font(font_height));
    const int line = metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 10), Qt::AlignLeft | Qt::TextSingleLine, text).width();
    return std::max(metrics.horizontalAdvance(text), line) + 4;
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), button_face_color());
    p.setFont(ui_font(font_height_));
    int x = 0;
    for (int i = 0; i < panel_count(); ++i) {
        int w = (i == panel_count() - 1) ? std::max(widths_[static_cast<size_t>(i)], width() - x) : widths_[static_cast<size_t>(i)];
        QRect r(x, 2, w - 1, height() - 2);
        p.setPen(QColor(128, 128, 128));
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom());
        p.setPen(Qt::white);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.setPen(Qt::black);
        draw_text_in_rect(p, r.adjusted(2, 1, -1, -1), texts_[static_cast<size_t>(i)], Qt::AlignLeft | Qt::AlignVCenter);
        x += w;
    }
}

Splitter::Splitter(QWidget* parent) : QWidget(parent) { setCursor(Qt::SizeVerCursor); }

void Splitter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), button_face_color());
    if (grab_y_ >= 0) p.fillRect(QRect(0, 0, width(), height()), QColor(128, 128, 128));
}

void Splitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    grab_y_ = event->position().toPoint().y();
    drag_top_ = y();
    update();
}

void Splitter::mouseMoveEvent(QMouseEvent* event) {
    if (grab_y_ < 0) return;
    drag_top_ = std::max(min_size, y() + event->position().toPoint().y() - grab_y_);
}

void Splitter::mouseReleaseEvent(QMouseEvent* event) {
    if (grab_y_ < 0 || event->button() != Qt::LeftButton) return;
    grab_y_ = -1;
    update();
    if (on_moved) on_moved(drag_top_);
}

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (on_paint) on_paint(p);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    if (on_mouse_down) on_mouse_down(event->button(), event->position().toPoint());
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && on_double_click) on_double_click();
}

bool may_take_focus(const QWidget& taker) {
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return false;
    const QWidget* current = taker.window()->focusWidget();
    if (!current || current == &taker) return true;
    // A control on a hidden page, or a disabled one, is not being operated.
    return !(current->isVisible() && current->isEnabled());
}

void offer_values(QComboBox& box, const QStringList& values) {
    bool same = box.count() == values.size();
    for (int i = 0; same && i < box.count(); ++i) same = box.itemText(i) == values[i];
    if (!same) {
        box.clear();
        box.addItems(values);
    }
    if (box.currentIndex() != -1) box.setCurrentIndex(-1);
    if (box.isEditable() && !box.currentText().isEmpty()) box.setEditText(QString());
}

bool make_editable(QComboBox& box) {
    if (box.isEditable()) return false;
    box.setEditable(true);
    return true;
}

namespace {

class FixedHeightTabBar : public QTabBar {
public:
    FixedHeightTabBar(QWidget* parent, int height) : QTabBar(parent), height_(height) {}

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setHeight(height_);
        return size;
    }
    QSize minimumTabSizeHint(int index) const override {
        QSize size = QTabBar::minimumTabSizeHint(index);
        size.setHeight(height_);
        return size;
    }

private:
    int height_;
};

class MenuBarItemHeight : public QProxyStyle {
public:
    explicit MenuBarItemHeight(int height) : height_(height) {}
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem) result.setHeight(std::min(result.height(), height_));
        return result;
    }

private:
    int height_;
};

}  // namespace

void keep_menu_bar_height(QMenuBar& bar, int height) {
    auto* style = new MenuBarItemHeight(height);
    style->setParent(&bar);
    bar.setStyle(style);
    bar.setFixedHeight(height);
}

TabControl::TabControl(QWidget* parent, int tab_height) : QTabWidget(parent) {
    // Set up as a tab control sets up its own bar.
    auto* bar = new FixedHeightTabBar(this, tab_height);
    bar->setObjectName(QStringLiteral("qt_tabwidget_tabbar"));
    bar->setDrawBase(false);
    setTabBar(bar);
}

void add_pages(QTabWidget& tabs, const std::vector<Page>& pages) {
    const int first = tabs.count();
    for (const Page& p : pages) tabs.addTab(p.page, QString());
    for (std::size_t i = 0; i < pages.size(); ++i) tabs.setTabText(first + static_cast<int>(i), pages[i].caption);
}

QSize size_within(QSize wanted, QSize minimum, QMargins frame, QSize available) {
    const int width = available.width() - frame.left() - frame.right();
    const int height = available.height() - frame.top() - frame.bottom();
    return {std::max(minimum.width(), std::min(wanted.width(), width)),
            std::max(minimum.height(), std::min(wanted.height(), height))};
}

void fit_on_screen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    QMargins frame(4, 28, 4, 4);  // a title bar and borders
    if (const QWindow* handle = window.windowHandle(); handle && handle->isVisible() && !handle->frameMargins().isNull())
        frame = handle->frameMargins();
    const QSize fitted = size_within(window.size(), window.minimumSizeHint().expandedTo(window.minimumSize()), frame,
                                     screen->availableGeometry().size());
    if (fitted != window.size()) window.resize(fitted);
}

}  // namespace velmo
