#include "play/numbers_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/number_edit.h"
#include "framework/runtime.h"
#include "play/play_input.h"
#include "play/numbers_csv.h"

namespace velmo::play {

namespace {

QLineEdit* number_edit(QWidget* parent) {
    auto* edit = new NumberEdit(parent);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

QString tenths(std::int32_t v) { return v > 0 ? QString::number(v / 10) + QLatin1Char('.') + QString::number(v % 10) : QString(); }
QString whole(std::int32_t v) { return v > 0 ? QString::number(v) : QString(); }

// A box's number in units of 10^-decimals within 1..max (a probability may be
// written 1/x); nullopt with ok for an empty box.
std::optional<std::int32_t> typed(const QLineEdit* edit, int decimals, std::int32_t max, bool& ok) {
    QString t = edit->text().normalized(QString::NormalizationForm_KC).trimmed();
    if (t.startsWith(QStringLiteral("1/"))) t = t.mid(2);
    if (t.endsWith(QLatin1Char('%'))) t.chop(1);
    t.remove(QLatin1Char(','));
    if (t.isEmpty()) return std::nullopt;
    const auto v = read_decimal(t.trimmed().toStdString(), decimals, max);
    if (!v) ok = false;
    return v;
}

const char* const kSlotColumns[] = {"機械割（%）", "BB確率（1/x）", "RB確率（1/x）", "BB枚数", "RB枚数"};

}  // namespace

NumbersDialog::NumbersDialog(const MachineNumberTable& current, std::vector<std::string> machines, QWidget* parent)
    : QDialog(parent), machines_(std::move(machines)), value_(current) {
    setWindowTitle(QStringLiteral("機種のスペック"));
    machine_list = new QListWidget(this);
    for (const std::string& m : machines_) machine_list->addItem(from_cp932(m));
    kind_box = new QComboBox(this);
    kind_box->addItems({QStringLiteral("なし"), QStringLiteral("パチンコ"), QStringLiteral("スロット")});
    odds_edit = number_edit(this);
    mean_edit = number_edit(this);
    spread_edit = number_edit(this);
    slot_table = new QTableWidget(kSlotSettings, 5, this);
    QStringList heads, rows;
    for (const char* h : kSlotColumns) heads << QString::fromUtf8(h);
    for (int s = 1; s <= kSlotSettings; ++s) rows << QStringLiteral("設定") + QString::number(s);
    slot_table->setHorizontalHeaderLabels(heads);
    slot_table->setVerticalHeaderLabels(rows);
    for (int r = 0; r < kSlotSettings; ++r)
        for (int c = 0; c < 5; ++c) slot_table->setCellWidget(r, c, number_edit(slot_table));
    slot_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("種別"), kind_box);
    form->addRow(QStringLiteral("大当たり確率 1/"), odds_edit);
    form->addRow(QStringLiteral("平均出玉（玉）"), mean_edit);
    form->addRow(QStringLiteral("荒さ（空欄 2.0）"), spread_edit);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(slot_table);
    auto* row = new QHBoxLayout;
    row->addWidget(machine_list, 1);
    row->addLayout(right, 3);

    import_button = new QPushButton(QStringLiteral("CSVから取り込み..."), this);
    connect(import_button, &QPushButton::clicked, this, &NumbersDialog::import_csv);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    buttons->addButton(import_button, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &NumbersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("登録した機種ごとの数値（空欄は設定なし）。仕事量・ボーダーの計算に使います"), this));
    column->addLayout(row);
    column->addWidget(buttons);

    // Changing the machine takes the boxes of the one shown first; a wrong box keeps it shown.
    connect(machine_list, &QListWidget::currentRowChanged, this, [this](int r) {
        if (r == shown_) return;
        if (!take_shown()) {
            const QSignalBlocker quiet(machine_list);
            machine_list->setCurrentRow(shown_);
            return;
        }
        show_machine(r);
    });
    // Only enables the boxes of the kind shown; nothing is taken until OK or another machine.
    connect(kind_box, &QComboBox::currentIndexChanged, this, [this] { show_kind(); });
    if (!machines_.empty()) machine_list->setCurrentRow(0);
    else show_kind();
    // Room for the six settings' five columns without scrolling.
    resize(std::max(sizeHint().width(), 880), std::max(sizeHint().height(), 460));
}

QLineEdit* NumbersDialog::slot_edit(int setting_row, int column) const {
    return qobject_cast<QLineEdit*>(slot_table->cellWidget(setting_row, column));
}

void NumbersDialog::show_kind() {
    const int kind = kind_box->currentIndex();
    for (QWidget* w : {static_cast<QWidget*>(odds_edit), static_cast<QWidget*>(mean_edit), static_cast<QWidget*>(spread_edit)})
        w->setEnabled(kind == 1);
    slot_table->setEnabled(kind == 2);
}

void NumbersDialog::show_machine(int row) {
    shown_ = row;
    const MachineNumbers* s = row >= 0 ? value_.of(machines_[static_cast<std::size_t>(row)]) : nullptr;
    const MachineNumbers none;
    const MachineNumbers& numbers = s ? *s : none;
    kind_box->setCurrentIndex(numbers.kind == Kind::Pachinko ? 1 : numbers.kind == Kind::Slot ? 2 : 0);
    const bool p = numbers.kind == Kind::Pachinko;
    odds_edit->setText(p ? tenths(numbers.pachinko.odds) : QString());
    mean_edit->setText(p ? whole(numbers.pachinko.mean_payout) : QString());
    spread_edit->setText(p ? tenths(numbers.pachinko.spread) : QString());
    for (int r = 0; r < kSlotSettings; ++r) {
        const SlotSetting& n = numbers.slot[static_cast<std::size_t>(r)];
        const bool on = numbers.kind == Kind::Slot;
        slot_edit(r, 0)->setText(on ? tenths(n.payout_ratio) : QString());
        slot_edit(r, 1)->setText(on ? tenths(n.bb_odds) : QString());
        slot_edit(r, 2)->setText(on ? tenths(n.rb_odds) : QString());
        slot_edit(r, 3)->setText(on ? whole(n.bb_medals) : QString());
        slot_edit(r, 4)->setText(on ? whole(n.rb_medals) : QString());
    }
    show_kind();
}

bool NumbersDialog::take_shown() {
    if (shown_ < 0 || static_cast<std::size_t>(shown_) >= machines_.size()) return true;
    const std::string& name = machines_[static_cast<std::size_t>(shown_)];
    const QString label = from_cp932(name);
    auto refuse = [&](QLineEdit* edit, const char* what) {
        dialogs().message(label + QStringLiteral("の") + QString::fromUtf8(what) + QStringLiteral("が正しくありません"));
        edit->setFocus();
        edit->selectAll();
        return false;
    };
    MachineNumbers numbers;
    numbers.machine = name;
    const int kind = kind_box->currentIndex();
    bool ok = true;
    if (kind == 1) {
        numbers.kind = Kind::Pachinko;
        const auto odds = typed(odds_edit, 1, kMaxOdds, ok);
        if (!ok) return refuse(odds_edit, "大当たり確率");
        const auto mean = typed(mean_edit, 0, kMaxMeanPayout, ok);
        if (!ok) return refuse(mean_edit, "平均出玉");
        const auto spread = typed(spread_edit, 1, kMaxSpread, ok);
        if (!ok) return refuse(spread_edit, "荒さ");
        if (odds.has_value() != mean.has_value())
            return refuse(odds ? mean_edit : odds_edit, odds ? "平均出玉" : "大当たり確率");
        numbers.pachinko = {odds.value_or(0), mean.value_or(0), spread.value_or(kDefaultSpread)};
    } else if (kind == 2) {
        numbers.kind = Kind::Slot;
        const std::pair<int, std::int32_t> limits[] = {{1, kMaxPayoutRatio}, {1, kMaxOdds}, {1, kMaxOdds}, {0, kMaxMedals}, {0, kMaxMedals}};
        for (int r = 0; r < kSlotSettings; ++r) {
            std::array<std::int32_t, 5> v{};
            for (int c = 0; c < 5; ++c) {
                v[static_cast<std::size_t>(c)] = typed(slot_edit(r, c), limits[c].first, limits[c].second, ok).value_or(0);
                if (!ok) {
                    const QByteArray what = (QStringLiteral("設定") + QString::number(r + 1) + QStringLiteral("の") +
                                             QString::fromUtf8(kSlotColumns[c]))
                                                .toUtf8();
                    return refuse(slot_edit(r, c), what.constData());
                }
            }
            numbers.slot[static_cast<std::size_t>(r)] = {v[0], v[1], v[2], v[3], v[4]};
        }
    }
    set_numbers(value_, numbers);  // a machine without numbers goes
    return true;
}

void NumbersDialog::accept() {
    if (!take_shown()) return;
    QDialog::accept();
}

void NumbersDialog::import_csv() {
    if (!take_shown()) return;
    const auto file = dialogs().open_file(QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)"));
    if (!file) return;
    const FileRead read = read_input_file(*file);
    if (read.status != ReadStatus::Ok) {
        dialogs().message(QStringLiteral("ファイルを読めません: ") + *file);
        return;
    }
    const NumbersImport import = read_numbers_csv(read.bytes);
    if (import.problem_count > 0) {
        dialogs().message(QStringLiteral("スペックは取り込んでいません。\n") +
                          csv_problems_message(import.problems, import.problem_count));
        return;
    }
    const auto added = apply_numbers_import(import, value_, machines_);
    for (const std::string& m : added) {
        machine_list->addItem(from_cp932(m));
        added_.push_back(m);
    }
    show_machine(shown_);
    dialogs().message(QString::number(import.machines.size()) + QStringLiteral(" 機種のスペックを取り込みました"));
}

}  // namespace velmo::play
