#include "play/play_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/number_edit.h"
#include "play/expect_text.h"
#include "play/play_calc.h"
#include "play/play_entry.h"
#include "play/play_input.h"

namespace velmo::play {

namespace {

QString utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString field_name(Field f) { return QString::fromUtf8(field_names()[static_cast<std::size_t>(f)]); }

QString count_text(const std::optional<std::int64_t>& v) { return v ? QString::number(*v) : QString(); }

TypedNumber read_field(Field f, const QString& text) {
    switch (f) {
    case Field::LendingPrice: return read_price(text);
    case Field::ExchangeRate: return read_rate(text);
    case Field::Cash: return read_count(text, kMaxYen);
    default: return read_count(text, kMaxPieces);
    }
}

// What a box of the field takes, after "…の" + the field's name.
QString field_rule(Field f) {
    switch (f) {
    case Field::LendingPrice: return QStringLiteral("は 0.01 から 999.99 までの円で入力してください");
    case Field::ExchangeRate: return QStringLiteral("は 0.1 から 999.9 までの数で入力してください");
    default: return QStringLiteral("は 0 から 99,999,999 までの整数で入力してください");
    }
}

void put(MachineData& m, Field f, std::int64_t v) {
    switch (f) {
    case Field::LendingPrice: m.lending_price = static_cast<std::int32_t>(v); break;
    case Field::ExchangeRate: m.exchange_rate = static_cast<std::int32_t>(v); break;
    case Field::Cash: m.cash = v; break;
    case Field::HeldIn: m.held_in = v; break;
    case Field::StoreOut: m.store_out = v; break;
    case Field::EndPieces: m.end_pieces = v; break;
    case Field::StoreIn: m.store_in = v; break;
    case Field::Spins: m.spins = v; break;
    case Field::Hits: m.hits = v; break;
    case Field::Rb: m.rb = v; break;
    case Field::Paid: m.paid = v; break;
    case Field::Kind: break;
    }
}

QString shown(Field f, const MachineData& m) {
    switch (f) {
    case Field::LendingPrice: return m.lending_price > 0 ? utf8(price_text(m.lending_price)) : QString();
    case Field::ExchangeRate: return m.exchange_rate > 0 ? utf8(rate_text(m.exchange_rate)) : QString();
    case Field::Cash: return count_text(m.cash);
    case Field::HeldIn: return count_text(m.held_in);
    case Field::StoreOut: return count_text(m.store_out);
    case Field::EndPieces: return count_text(m.end_pieces);
    case Field::StoreIn: return count_text(m.store_in);
    case Field::Spins: return count_text(m.spins);
    case Field::Hits: return count_text(m.hits);
    case Field::Rb: return count_text(m.rb);
    case Field::Paid: return count_text(m.paid);
    case Field::Kind: break;
    }
    return {};
}

void refuse(const QString& text, QWidget* box) {
    dialogs().message(text);
    box->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
}

QString minutes_text(int minutes) {
    return QString::number(minutes / 60) + QStringLiteral("時間") + QString::number(minutes % 60) + QStringLiteral("分");
}

}  // namespace

PlayDialog::PlayDialog(PlayDialogInput input, QWidget* parent) : QDialog(parent), input_(std::move(input)) {
    setWindowTitle(QStringLiteral("実戦データ"));
    const int rows = static_cast<int>(std::min<std::size_t>(input_.names.size(), kMachinesPerRecord));
    bool figures = false;
    for (int r = 0; r < rows; ++r) {
        const MachineNumbers* numbers = input_.all_numbers.of(input_.names[static_cast<std::size_t>(r)]);
        all_numbers_.push_back(numbers && numbers->has_numbers() ? numbers : nullptr);
        figures |= all_numbers_.back() != nullptr;
    }
    table = new QTableWidget(rows, (figures ? kSettingColumn : kPayoutColumn) + 1, this);
    QStringList heads{QStringLiteral("機種名")};
    for (int f = 0; f < kFieldCount; ++f) heads << field_name(static_cast<Field>(f));
    heads << QStringLiteral("投資") << QStringLiteral("回収");
    if (figures)
        heads << QStringLiteral("回転率") << QStringLiteral("ボーダー") << QStringLiteral("ボーダー差")
              << QStringLiteral("仕事量") << QStringLiteral("σ") << QStringLiteral("推定設定");
    table->setHorizontalHeaderLabels(heads);
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QFontMetrics metrics = table->fontMetrics();
    const int number_width = metrics.horizontalAdvance(QStringLiteral("99,999,999")) + metrics.horizontalAdvance(QLatin1Char('M'));
    for (int r = 0; r < rows; ++r) {
        auto* name = new QTableWidgetItem(from_cp932(input_.names[static_cast<std::size_t>(r)]));
        name->setFlags(Qt::ItemIsEnabled);
        table->setItem(r, kNameColumn, name);
        auto* kind = new QComboBox(table);
        kind->addItems({QString(), QStringLiteral("パチンコ"), QStringLiteral("スロット")});
        table->setCellWidget(r, kKindColumn, kind);
        for (int f = 1; f < kFieldCount; ++f) {
            auto* box = new NumberEdit(table);
            box->setAlignment(Qt::AlignRight);
            table->setCellWidget(r, 1 + f, box);
            connect(box, &QLineEdit::textChanged, this, &PlayDialog::show_computed);
        }
        for (int c = kInvestmentColumn; c < table->columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
        fill_row(r, input_.data.machines[static_cast<std::size_t>(r)]);
        // Chosen by the player: the hall's rates for the kind fill boxes still empty.
        connect(kind, &QComboBox::activated, this, [this, r] { kind_chosen(r); });
        connect(kind, &QComboBox::currentIndexChanged, this, &PlayDialog::show_computed);
    }
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    table->resizeRowsToContents();
    // Every column as wide as its heading and what it holds: the names (within
    // sixteen wide letters), the longer kind with the list's arrow, the largest number.
    const int pad = metrics.horizontalAdvance(QLatin1Char('M'));
    int name_width = metrics.horizontalAdvance(heads[kNameColumn]);
    for (int r = 0; r < rows; ++r)
        name_width = std::max(name_width, metrics.horizontalAdvance(table->item(r, kNameColumn)->text()));
    table->setColumnWidth(kNameColumn, std::min(name_width, pad * 16) + pad);
    int kind_width = metrics.horizontalAdvance(heads[kKindColumn]) + pad;
    for (const QString& kind : {QStringLiteral("パチンコ"), QStringLiteral("スロット")})
        kind_width = std::max(kind_width, metrics.horizontalAdvance(kind) + pad * 3);
    table->setColumnWidth(kKindColumn, kind_width);
    // The computed amounts reach beyond the boxes' eight digits.
    const int amount_width = metrics.horizontalAdvance(QStringLiteral("99,999,999,999")) + pad;
    for (int c = 2; c <= kPayoutColumn; ++c)
        table->setColumnWidth(c, std::max(c >= kInvestmentColumn ? amount_width : number_width,
                                          metrics.horizontalAdvance(heads[c]) + pad));
    if (figures) {
        // Rates of any play a day holds, 仕事量 and σ as large as the amounts, a setting with 100%.
        const int rate_width = metrics.horizontalAdvance(QStringLiteral("-9,999.9")) + pad;
        const int yen_width = metrics.horizontalAdvance(QStringLiteral("-99,999,999,999円")) + pad;
        const int setting_width = metrics.horizontalAdvance(QStringLiteral("設定6（100%）")) + pad;
        for (int c = kRateColumn; c <= kSettingColumn; ++c) {
            const int wanted = c <= kGapColumn ? rate_width : c <= kSigmaColumn ? yen_width : setting_width;
            table->setColumnWidth(c, std::max(wanted, metrics.horizontalAdvance(heads[c]) + pad));
        }
    }

    start_edit = new NumberEdit(this);
    end_edit = new NumberEdit(this);
    for (QLineEdit* e : {start_edit, end_edit}) {
        e->setPlaceholderText(QStringLiteral("HH:MM"));
        e->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("00:00")) * 2);
        connect(e, &QLineEdit::textChanged, this, &PlayDialog::show_computed);
    }
    if (input_.data.time.start) start_edit->setText(utf8(time_text(*input_.data.time.start)));
    if (input_.data.time.end) end_edit->setText(utf8(time_text(*input_.data.time.end)));
    summary = new QLabel(this);
    summary->setWordWrap(true);

    auto* times = new QHBoxLayout;
    times->addWidget(new QLabel(QStringLiteral("開始"), this));
    times->addWidget(start_edit);
    times->addSpacing(12);
    times->addWidget(new QLabel(QStringLiteral("終了"), this));
    times->addWidget(end_edit);
    times->addSpacing(24);
    times->addWidget(summary, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PlayDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    auto* note = new QLabel(from_cp932(input_.hall) +
                                QStringLiteral("　（空欄は記録なし。レートはホールの設定から。投資・回収は玉数から計算）"),
                            this);
    note->setWordWrap(true);
    column->addWidget(note);
    column->addWidget(table);
    column->addLayout(times);
    column->addWidget(buttons);
    show_computed();

    // As wide as the table wants, within the screen; as tall as its rows.
    int width = table->frameWidth() * 2 + 2;
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    int height = header->height() + table->frameWidth() * 2 + 2;
    for (int r = 0; r < rows; ++r) height += table->rowHeight(r);
    if (rows == 0) height += metrics.height() * 2;
    table->setFixedHeight(std::min(height + table->horizontalScrollBar()->sizeHint().height(), metrics.height() * 20));
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() - 40 : width;
    resize(std::min(width + 24, room), sizeHint().height());
}

bool PlayDialog::shows_figures() const { return table->columnCount() > kRateColumn; }

QComboBox* PlayDialog::kind_box(int row) const {
    return qobject_cast<QComboBox*>(table->cellWidget(row, kKindColumn));
}
QLineEdit* PlayDialog::edit(int row, Field field) const {
    return qobject_cast<QLineEdit*>(table->cellWidget(row, column_of(field)));
}
QString PlayDialog::computed_text(int row, int column) const { return table->item(row, column)->text(); }

void PlayDialog::fill_row(int row, const MachineData& m) {
    kind_box(row)->setCurrentIndex(m.kind == Kind::Slot ? 2 : m.kind == Kind::Pachinko ? 1 : 0);
    for (int f = 1; f < kFieldCount; ++f) edit(row, static_cast<Field>(f))->setText(shown(static_cast<Field>(f), m));
    if (m.kind != Kind::None && m.lending_price == 0 && m.exchange_rate == 0) kind_chosen(row);
}

void PlayDialog::kind_chosen(int row) {
    const HallRates* rates = input_.settings.rates_of(input_.hall);
    const int k = kind_box(row)->currentIndex();
    if (!rates || k == 0) return;
    const KindRates& r = rates->of(k == 2 ? Kind::Slot : Kind::Pachinko);
    QLineEdit* price = edit(row, Field::LendingPrice);
    QLineEdit* rate = edit(row, Field::ExchangeRate);
    if (r.lending_price > 0 && price->text().trimmed().isEmpty()) price->setText(utf8(price_text(r.lending_price)));
    if (r.exchange_rate > 0 && rate->text().trimmed().isEmpty()) rate->setText(utf8(rate_text(r.exchange_rate)));
}

EntryExpect PlayDialog::row_expect(int row, const MachineData& m) const {
    const MachineNumbers* numbers = all_numbers_[static_cast<std::size_t>(row)];
    return numbers ? entry_expect(m, numbers) : EntryExpect{};
}

MachineData PlayDialog::typed_row(int row) const {
    MachineData m;
    const int k = kind_box(row)->currentIndex();
    m.kind = k == 2 ? Kind::Slot : k == 1 ? Kind::Pachinko : Kind::None;
    for (int f = 1; f < kFieldCount; ++f) {
        const TypedNumber n = read_field(static_cast<Field>(f), edit(row, static_cast<Field>(f))->text());
        if (n.ok && n.value) put(m, static_cast<Field>(f), *n.value);
    }
    return m;
}

void PlayDialog::show_computed() {
    if (!summary) return;  // still being built
    RecordPlayData typed;
    for (int r = 0; r < table->rowCount(); ++r) {
        const MachineData m = typed_row(r);
        typed.machines[static_cast<std::size_t>(r)] = m;
        const ComputedAmounts a = computed_amounts(m);
        table->item(r, kInvestmentColumn)->setText(a.investment ? utf8(grouped(*a.investment)) : QString());
        table->item(r, kPayoutColumn)->setText(a.payout ? utf8(grouped(*a.payout)) : QString());
        if (!shows_figures()) continue;
        const ExpectTexts t = expect_texts(row_expect(r, m));
        const std::pair<int, const std::string*> cells[] = {{kRateColumn, &t.rate},   {kBorderColumn, &t.border},
                                                            {kGapColumn, &t.gap},     {kValueColumn, &t.value},
                                                            {kSigmaColumn, &t.sigma}, {kSettingColumn, &t.setting}};
        for (const auto& [column, text] : cells) table->item(r, column)->setText(utf8(*text));
    }
    const TypedNumber start = read_clock(start_edit->text());
    const TypedNumber end = read_clock(end_edit->text());
    if (start.ok && start.value) typed.time.start = static_cast<int>(*start.value);
    if (end.ok && end.value) typed.time.end = static_cast<int>(*end.value);
    const PlayVisit visit{0, &typed};
    const PlayFigures figures = play_figures(std::span(&visit, 1));
    const std::optional<int> minutes = visit_minutes(typed.time);
    const QString none = QStringLiteral("—");
    summary->setText(QStringLiteral("交換差損 ") +
                     (figures.exchange_loss ? utf8(grouped(*figures.exchange_loss)) + QStringLiteral("円") : none) +
                     QStringLiteral("　　時間 ") + (minutes ? minutes_text(*minutes) : none));
}

void PlayDialog::accept() {
    RecordPlayData typed;
    for (int r = 0; r < table->rowCount(); ++r) {
        const QString machine = QString::number(r + 1) + QStringLiteral("機種目（") + table->item(r, kNameColumn)->text() +
                                QStringLiteral("）の");
        for (int f = 1; f < kFieldCount; ++f) {
            QLineEdit* box = edit(r, static_cast<Field>(f));
            if (!read_field(static_cast<Field>(f), box->text()).ok)
                return refuse(machine + field_name(static_cast<Field>(f)) + field_rule(static_cast<Field>(f)), box);
        }
        typed.machines[static_cast<std::size_t>(r)] = typed_row(r);
    }
    const auto balances = machine_store_balances(input_.hall, typed, input_.settings, input_.before);
    for (int r = 0; r < table->rowCount(); ++r) {
        const MachineData& m = typed.machines[static_cast<std::size_t>(r)];
        const std::vector<std::string> faults = machine_faults(m, balances[static_cast<std::size_t>(r)]);
        if (faults.empty()) continue;
        const QString fault = utf8(faults.front());
        QWidget* box = kind_box(r);
        for (Field f : {Field::StoreIn, Field::StoreOut})
            if (fault.startsWith(field_name(f))) box = edit(r, f);
        return refuse(QString::number(r + 1) + QStringLiteral("機種目（") + table->item(r, kNameColumn)->text() +
                          QStringLiteral("）：") + fault,
                      box);
    }
    // Spins of a machine with numbers need the pieces they took (現金投資 + 持ち玉投資 + 出玉 − 終了玉).
    for (int r = 0; r < table->rowCount(); ++r) {
        const EntryExpect e = row_expect(r, typed.machines[static_cast<std::size_t>(r)]);
        if (e.state != ExpectState::NotPlayed) continue;
        const QString machine = QString::number(r + 1) + QStringLiteral("機種目（") + table->item(r, kNameColumn)->text() +
                                QStringLiteral("）の");
        if (e.played_num < 0)
            return refuse(machine + field_name(Field::EndPieces) +
                              QStringLiteral("が打ち込んだ玉（現金投資 + 持ち玉投資 + 出玉）より多くなっています"),
                          edit(r, Field::EndPieces));
        return refuse(machine + field_name(Field::Spins) +
                          QStringLiteral("に打ち込んだ玉がありません（現金投資 + 持ち玉投資 + 出玉 − 終了玉 が 0）"),
                      edit(r, Field::Spins));
    }
    const std::pair<QLineEdit*, const char*> clocks[] = {{start_edit, "開始"}, {end_edit, "終了"}};
    for (const auto& [box, name] : clocks) {
        const TypedNumber t = read_clock(box->text());
        if (!t.ok)
            return refuse(QString::fromUtf8(name) + QStringLiteral("の時刻は 0:00 から 23:59 までの「時:分」で入力してください"),
                          box);
        (box == start_edit ? typed.time.start : typed.time.end) =
            t.value ? std::optional<int>(static_cast<int>(*t.value)) : std::nullopt;
    }
    value_ = typed;
    QDialog::accept();
}

}  // namespace velmo::play
