#pragma once
// The dialog "機種のスペック": for each machine of the registry its numbers —
// パチンコ: 大当たり確率 1/x, 平均出玉, 荒さ; スロット: per 設定 1–6 機械割, BB and
// RB probabilities and the net medals of a BB and an RB — and an import of
// them from a CSV file (play/numbers_csv.h).
#include <QDialog>

#include <string>
#include <vector>

#include "play/machine_numbers.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace velmo::play {

class NumbersDialog : public QDialog {
    Q_OBJECT
public:
    // machines: the registry's machines in list order, CP932.
    NumbersDialog(const MachineNumberTable& current, std::vector<std::string> machines, QWidget* parent = nullptr);

    // What was typed and imported; valid once the dialog was accepted.
    const MachineNumberTable& value() const { return value_; }
    // Machines an import added that the registry does not list, in order.
    const std::vector<std::string>& added_machines() const { return added_; }
    // OK: takes the boxes of the machine shown, or names the box that is wrong
    // and keeps the dialog open with it selected.
    void accept() override;
    // CSVから取り込み: a file chosen through the program's file dialog.
    void import_csv();

    QListWidget* machine_list = nullptr;
    QComboBox* kind_box = nullptr;
    QLineEdit* odds_edit = nullptr;
    QLineEdit* mean_edit = nullptr;
    QLineEdit* spread_edit = nullptr;
    QTableWidget* slot_table = nullptr;  // rows 設定1..6; columns 機械割, BB確率, RB確率, BB枚数, RB枚数
    QLineEdit* slot_edit(int setting_row, int column) const;
    QPushButton* import_button = nullptr;

private:
    void show_machine(int row);
    // Takes the boxes into value_ for the machine shown; false after a message.
    bool take_shown();
    void show_kind();

    std::vector<std::string> machines_;
    MachineNumberTable value_;
    std::vector<std::string> added_;
    int shown_ = -1;
};

}  // namespace velmo::play
