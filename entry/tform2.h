#pragma once
// The entry dialog: one play record, entered new or corrected.
#include <QWidget>

class QCalendarWidget;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmo {
class StringGrid;
}

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
    ~TForm2() override;

    QGroupBox* GroupBox1 = nullptr;  // 日付
    QCalendarWidget* MonthCalendar1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;  // ホール名
    QComboBox* ComboBox1 = nullptr;  // hall
    QComboBox* ComboBox2 = nullptr;  // machine of the selected grid row
    QLineEdit* Edit1 = nullptr;      // investment
    QLineEdit* Edit2 = nullptr;      // payout
    velmo::StringGrid* StringGrid1 = nullptr;  // machines grid
    QGroupBox* GroupBox4 = nullptr;  // コメント
    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* GroupBox5 = nullptr;  // the extra column's value
    QComboBox* ComboBox3 = nullptr;
    QPushButton* Button1 = nullptr;  // 登　　録 / 訂　　正
    QPushButton* Button2 = nullptr;  // キャンセル

private:
    void build();
};

extern TForm2* Form2;
