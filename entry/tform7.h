#pragma once
// The extra-column dialog; it also keeps the extra column's settings.
#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm7 : public QWidget {
    Q_OBJECT
public:
    TForm7();
    ~TForm7() override;

    // Settings of the extra column.
    int extra_width = 0;      // pixels
    int extra_align = 0;      // 0 left, 1 centre, 2 right
    int extra_pos_index = 4;  // 0..4 for places 3..7
    int list_count = 0;       // preset values stored with the ledger
    int previous_place = 6;

    QGroupBox* GroupBox1 = nullptr;  // 追加項目設定
    QLineEdit* Edit1 = nullptr;      // 項目名
    QComboBox* ComboBox1 = nullptr;  // セル挿入位置
    QComboBox* ComboBox3 = nullptr;  // セル幅(ドット)
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // リストデータ入力
    QLabel* Label5 = nullptr;        // リストデータ登録
    QComboBox* ComboBox2 = nullptr;  // preset values
    QPushButton* Button4 = nullptr;  // 登録
    QPushButton* Button5 = nullptr;  // 削除
    QPushButton* Button6 = nullptr;  // 項目削除
    QPushButton* Button2 = nullptr;  // 追加 / 訂正
    QPushButton* Button3 = nullptr;  // キャンセル

    // The header text as CP932.
    std::string extra_name() const;

    void open7();         // on show
    void Button2Click();  // apply: add, move or change the column
    void Button6Click();  // delete the column
    void CheckBox1Click();
    void Button4Click();  // add a preset value
    void Button5Click();  // remove the selected preset value
    // Closing without applying: hide, and give the main window back.
    void close7();

    // Showing gives the drop-downs their edit fields, once.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
};

extern TForm7* Form7;
