#pragma once
// Small widgets the windows are built from: a status bar of fixed-width text
// panels, a splitter bar that reports where it was dropped, and a paint box
// whose owner draws it.
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QMenuBar;

namespace velmo {

class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    void set_panel_count(int n);
    int panel_count() const { return static_cast<int>(texts_.size()); }
    void set_panel_width(int panel, int width);
    int panel_width(int panel) const;
    void set_panel_text(int panel, const QString& text);
    QString panel_text(int panel) const;
    void set_font_height(int pixels);
    int font_height() const { return font_height_; }
    // The width a panel needs to show text whole at a font height: the text's
    // advance in the interface font, the panel's two borders and its margins.
    static int panel_width_for(const QString& text, int font_height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QString> texts_;
    std::vector<int> widths_;
    int font_height_ = 13;
};

// A horizontal bar dragged up and down; on_moved gets the new top when dropped.
class Splitter : public QWidget {
    Q_OBJECT
public:
    explicit Splitter(QWidget* parent = nullptr);
    int min_size = 52;
    std::function<void(int new_top)> on_moved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int grab_y_ = -1;
    int drag_top_ = 0;
};

class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr);
    std::function<void(QPainter&)> on_paint;
    std::function<void(Qt::MouseButton, QPoint)> on_mouse_down;
    std::function<void()> on_double_click;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Whether taker may take the keyboard focus on its own, when no click or key of
// the user's gives it: not while a mouse button is held, and not from a visible
// control of its window that has the focus, such as a button the user is pressing
// or a check box the user toggles with the space bar.
bool may_take_focus(const QWidget& taker);

// Makes box offer exactly values, in order, with none chosen and an empty edit
// field. A box that already does is left as it is: nothing is laid out again.
void offer_values(QComboBox& box, const QStringList& values);

// Gives box its edit field unless it has one; true when it got it now. An edit
// field comes with a completer and a popup list, the costliest parts of a
// drop-down to set up, so a dialog gives its drop-downs their edit fields when
// it is first shown rather than when it is made. Until then a box keeps its
// list and choice and has no edit text.
bool make_editable(QComboBox& box);

// Adds pages to the end of tabs with their captions. The tabs are added
// without captions and named afterwards, so that a hidden tab bar measures
// its captions once, when it is first shown, instead of all of them again
// for every page added.
struct Page {
    QWidget* page;
    QString caption;
};
void add_pages(QTabWidget& tabs, const std::vector<Page>& pages);

// Keeps bar, and each of its items, height pixels high whatever the font: a font
// with a taller line would make the bar taller, and an item taller than the bar
// is moved out of sight into the bar's overflow button.
void keep_menu_bar_height(QMenuBar& bar, int height);

// The size of a window's inside that keeps it with its frame within the screen's
// available area: wanted, made smaller where it does not fit, never below minimum.
QSize size_within(QSize wanted, QSize minimum, QMargins frame, QSize available);

// Makes a window beyond the specified ones fit the available area of its screen,
// frame included (a window manager's usual frame while the window has none yet).
void fit_on_screen(QWidget& window);

// A tab control whose tab bar keeps a fixed height whatever the font, so that its
// pages keep the height their controls are placed in: a font with a taller line
// (Noto Sans CJK JP's is 21 pixels at 15 against IPAGothic's 16) would otherwise
// make the bar taller and the pages shorter.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    TabControl(QWidget* parent, int tab_height);
};

}  // namespace velmo
