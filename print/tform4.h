#pragma once
// The print preview: the year report one page at a time, at a fifth of the printer's size.
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4();
    ~TForm4() override;

    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* Button1 = nullptr;  // 閉じる
    QPushButton* Button2 = nullptr;  // 次のページ
    QPushButton* Button3 = nullptr;  // 先頭ページ

    int preview_next_row = 0;  // rows shown on earlier pages
    int page_index = 0;        // the page shown, from 0

    void form4open();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void form4close();
    void resizeform();
    void render_preview_page();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool closing_ = false;
};

extern TForm4* Form4;
