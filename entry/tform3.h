#pragma once
// The hall and machine registry dialog: the registered halls, the registered
// machines with their attributes, and the names of the sixteen attributes.
// Its lists are the program's registry lists while it runs.
#include <QWidget>

#include <array>
#include <cstddef>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAttributes = 16;

    TForm3();
    ~TForm3() override;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // ホール名登録
    QWidget* TabSheet2 = nullptr;  // 機種名登録
    QLineEdit* Edit1 = nullptr;    // hall name being typed (Tag 0)
    QListWidget* ListBox1 = nullptr;  // the hall list (Tag 0)
    QLineEdit* Edit2 = nullptr;    // machine name being typed (Tag 1)
    QListWidget* ListBox2 = nullptr;  // the machine list (Tag 1)
    QLabel* Label1 = nullptr;      // 機種属性設定
    // CheckBox1 .. CheckBox16: attribute Tag + 1 of the selected machine.
    std::array<QCheckBox*, kAttributes> CheckBox{};
    // Edit3 .. Edit18: the name of attribute Tag + 1.
    std::array<QLineEdit*, kAttributes> AttributeEdit{};
    QPushButton* Button1 = nullptr;  // 登録
    QPushButton* Button2 = nullptr;  // 訂正
    QPushButton* Button3 = nullptr;  // 削除
    QPushButton* Button5 = nullptr;  // ソート
    QPushButton* Button4 = nullptr;  // 終了

    // CheckBox(number) for 1..16, Edit(number) for 3..18; nullptr outside.
    QCheckBox* check_box(int number) const;
    QLineEdit* edit(int number) const;
    // The name box and check box of attribute index 0..15.
    QLineEdit* attribute_edit(int index) const;
    QCheckBox* attribute_check(int index) const;

    // Handlers. The command buttons act on the page in front: halls on
    // TabSheet1, machines otherwise.
    void form3open();
    void form3close();
    void Button1Click();  // add the typed name at the top of the list
    void Button2Click();  // replace the selected item by the typed name
    void Button3Click();  // remove the selected item
    void hall_changed(const std::string& old_name, const std::optional<std::string>& new_name);
    // The same for a machine, with the machines listed now.
    void machine_changed(const std::string& old_name, const std::optional<std::string>& new_name);
    void Button5Click();  // sort the list
    void Button4Click();  // save and close
    // A key was released in the name box of list tag (0 halls, 1 machines).
    void chkstr(int tag, int key);
    // An item of list tag was chosen: its name goes into the name box.
    void selitem(int tag);
    // Dragging an item of list tag moves it (and on the machine list its mask) to the pointer.
    void ListBox1MD(int tag);
    void ListBox1MM(int tag);
    void ListBox1MU(int tag);
    // The name of attribute tag + 1 changed: only named attributes can be given to machines.
    void EditChange(int tag);
    // Attribute check box tag clicked: sets or clears that bit of the selected machine.
    void attr_change(int tag);
    // Ticks the check boxes and tints the name boxes for the selected machine.
    void show_attributes();

    // The hall list (tag 0) or the machine list (tag 1), and its name box.
    QListWidget* list(int tag) const;
    QLineEdit* name_edit(int tag) const;
    // The row of the list's selected item; -1 when no item is selected.
    static int selected_row(const QListWidget* list);
    // 0 when the hall page is in front, 1 for the machine page.
    int page_tag() const;

    bool dragging = false;
    int drag_index = -1;
    // Byte length of the name box's text at the previous key release.
    std::size_t remembered_length = 0;
    bool input_method_committed = false;  // since the last key released in a name box

    // Showing gives the attribute name boxes their background, once.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void add(int tag);
    void select_machine(int row);
};

extern TForm3* Form3;
