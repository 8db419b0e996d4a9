#pragma once
// The entry dialog: one play record, entered new or corrected.
#include <QWidget>

#include <QDate>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "entry/entry_rules.h"

class QCalendarWidget;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmo {
class StringGrid;
struct DrawState;
}

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
    ~TForm2() override;

    QGroupBox* GroupBox1 = nullptr;  // 日付
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

    static constexpr int kTotalsRow = 10;

    // The date calendar, made when the dialog is first shown or the calendar first
    // asked for: the main window's first frame does not wait for it. Until then the
    // dialog keeps the date itself, so the date is the same either way.
    QCalendarWidget* MonthCalendar1();
    bool calendar_made() const { return calendar_ != nullptr; }
    QDate calendar_date() const;
    // Selects a day as the calendar's own selection does: a day it does not show
    // yet counts as chosen, unless the program is filling the dialog.
    void set_calendar_date(QDate date);

    // On show: clears the amounts, the machine box and the comment, disables the main window.
    void form2open();
    // Key released in Edit1 or Edit2 (virtual key code of the platform's keyboard,
    // the text it typed, whether it was pressed with Ctrl, Alt or Meta).
    void chknum(QLineEdit* sender, int key, const QString& text = {}, bool shortcut = false);
    // Text pasted or dropped into Edit1 or Edit2, read as typed input: normalised
    // and inserted at the cursor, or refused with the message and the box as it was.
    void paste_amount(QLineEdit* edit, const QString& text);
    void ChangeKishu();
    void sgClick();
    void drawcell(int col, int row, const QRect& rect, velmo::DrawState state);
    void Button1Click();  // commit
    void Button2Click();  // cancel
    void form2close();

    // Empties cells 1..4 of rows 1..10.
    void clear_machine_rows();

    // While one lives, changes of the dialog's boxes are the program's own: nothing
    // is copied into the machines grid and the date does not count as chosen.
    class ProgramFill {
    public:
        explicit ProgramFill(TForm2& form) : form_(form), was_(form.filling_) { form.filling_ = true; }
        ~ProgramFill() { form_.filling_ = was_; }
        ProgramFill(const ProgramFill&) = delete;
        ProgramFill& operator=(const ProgramFill&) = delete;

    private:
        TForm2& form_;
        bool was_;
    };

    // Called once the dialog shows the record being corrected: what it shows now
    // is what the user has not changed, and those fields keep the stored bytes.
    void remember_correction(const velmo::LedgerRecord& stored);

    // Sets machine row r's amounts as typing them into the amount boxes does, and
    // the totals row with them; the boxes show them when r is the selected row.
    void set_row_amounts(int r, long long investment, long long payout);

    // Data that code beyond this dialog keeps with the record being entered
    // (shell/beyond_hooks.cpp installs it when the dialog is built).
    struct RecordHooks {
        // The dialog opened for a new record (stored null) or shows the record
        // being corrected.
        std::function<void(const velmo::LedgerRecord* stored)> opened;
        // The record passed the dialog's checks and is about to be written:
        // machine_rows are the grid rows of its machine entries, in order. It may
        // set the record's extension fields; false keeps the dialog open as it is.
        std::function<bool(velmo::LedgerRecord& record, const std::vector<int>& machine_rows)> committing;
        // The dialog closed, committed or cancelled.
        std::function<void()> closed;
    };
    RecordHooks record_hooks;

    // Showing makes the date calendar and the drop-downs' edit fields, once.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Edit1 and Edit2 into the machines grid's selected row and the totals.
    void amounts_to_grid();
    // Keys pressed with Ctrl, Alt or Meta and not yet released: their release is no typing.
    QList<int> shortcut_keys_;

    // The machine names and amounts of rows 1..9 (cells 1..3).
    using MachineCells = std::array<std::array<std::string, 3>, 9>;
    struct Correction {
        velmo::LedgerRecord stored;
        QString hall;
        QString extra;
        QString comment;
        MachineCells machines;
    };

    void build();
    void end_editing();
    MachineCells machine_cells() const;
    bool committing_ = false;
    bool filling_ = false;
    bool date_chosen_ = false;  // the user picked a date in this opening
    QCalendarWidget* calendar_ = nullptr;
    QDate date_;  // the selected date while there is no calendar
    std::optional<Correction> correction_;
};

extern TForm2* Form2;
