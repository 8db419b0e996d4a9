#pragma once
// The monthly graph window: one month of the open ledger as a chart of daily
// balances (bars) and the balance accumulated since the month began (line).
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

class QPushButton;
namespace velmo {
class PaintBox;
}

class TForm6 : public QWidget {
    Q_OBJECT
public:
    TForm6();
    ~TForm6() override;

    velmo::PaintBox* Image1 = nullptr;  // 410 x 255, shows `image`
    QPushButton* Button1 = nullptr;     // "<<"
    QPushButton* Button2 = nullptr;     // ">>"
    QImage image;                       // the drawing surface of Image1, at the window's device pixel ratio

    int graph_month = 1;
    int graph_first_row = 0;
    // The hint of Image1 and whether it is switched on.
    QString hint_text;
    bool hint_on = false;

    void draw_month_graph(int m);
    void Button1Click();
    void Button2Click();
    void mouse_down(int x);
    void open6();
    void close6();
    // Fills the whole image with the button face colour, making it anew at the
    // window's device pixel ratio when that has changed.
    void clear_image();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void hint_off();
};

extern TForm6* Form6;
