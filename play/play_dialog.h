#pragma once
// The dialog "実戦データ": the play data of one record — a row per machine entry
// with its kind, rates, pieces and counts, and the time of the visit. While the
// player types it shows each machine's 投資 and 回収 as its pieces give them,
// the visit's 交換差損 and its hours, and for a machine whose numbers the player
// keeps (機種のスペック) the figures of its play: 回転率, ボーダー and their
// difference (pachinko), 仕事量 and σ, the most likely setting (slots). OK refuses a box that does not read, or
// data that cannot be (more put into the store than was left, more taken out
// than the store held, spins of a machine with numbers but no pieces played),
// naming the machine and the field; the dialog stays open with what was typed.
#include <QDialog>

#include <optional>
#include <string>
#include <vector>

#include "play/expect_calc.h"
#include "play/machine_numbers.h"
#include "play/play_data.h"
#include "play/play_settings.h"
#include "play/play_year.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace velmo::play {

struct PlayDialogInput {
    std::string hall;                // CP932
    std::vector<std::string> names;  // the record's machine entries, CP932, at most kMachinesPerRecord
    RecordPlayData data;             // what the record holds now
    PlaySettings settings;           // the halls' rates and starting balances
    std::vector<PlayEntry> before;   // the visits before this one, for the store's balance
    MachineNumberTable all_numbers;              // the machines' numbers (機種のスペック)
};

class PlayDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlayDialog(PlayDialogInput input, QWidget* parent = nullptr);

    // The data typed; valid once the dialog was accepted.
    const RecordPlayData& value() const { return value_; }
    void accept() override;

    // The table's columns: 機種名, 種別, the eleven number fields (from 貸玉料金 on,
    // Field order), then the computed 投資 and 回収.
    static constexpr int kNameColumn = 0;
    static constexpr int kKindColumn = 1;
    static constexpr int kInvestmentColumn = 1 + kFieldCount;
    static constexpr int kPayoutColumn = kInvestmentColumn + 1;
    static int column_of(Field field) { return 1 + static_cast<int>(field); }
    // When a row's machine has numbers, the figures of its play follow: 回転率,
    // ボーダー, ボーダー差, 仕事量, σ and 推定設定 (play/expect_text.h).
    static constexpr int kRateColumn = kPayoutColumn + 1;
    static constexpr int kBorderColumn = kRateColumn + 1;
    static constexpr int kGapColumn = kBorderColumn + 1;
    static constexpr int kValueColumn = kGapColumn + 1;
    static constexpr int kSigmaColumn = kValueColumn + 1;
    static constexpr int kSettingColumn = kSigmaColumn + 1;
    bool shows_figures() const;

    QTableWidget* table = nullptr;
    QComboBox* kind_box(int row) const;
    QLineEdit* edit(int row, Field field) const;  // a number field (not Kind)
    QLineEdit* start_edit = nullptr;
    QLineEdit* end_edit = nullptr;
    QLabel* summary = nullptr;  // 交換差損 and the hours
    // The computed 投資 or 回収, or a figure, of a row as shown ("" while its data gives none).
    QString computed_text(int row, int column) const;

private:
    // The row's boxes as data, boxes that do not read left out.
    MachineData typed_row(int row) const;
    // The figures of a row's play as typed (no numbers: none).
    EntryExpect row_expect(int row, const MachineData& m) const;
    void show_computed();
    void kind_chosen(int row);
    void fill_row(int row, const MachineData& m);

    PlayDialogInput input_;
    std::vector<const MachineNumbers*> all_numbers_;  // per row, nullptr without numbers
    RecordPlayData value_;
};

}  // namespace velmo::play
