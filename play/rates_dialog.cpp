#include "play/rates_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/number_edit.h"
#include "play/play_input.h"

namespace velmo::play {

namespace {

QLineEdit* number_edit(const QString& text, QWidget* parent) {
    auto* edit = new NumberEdit(parent);
    edit->setText(text);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

QString price_or_empty(std::int32_t v) { return v > 0 ? QString::fromStdString(price_text(v)) : QString(); }
QString rate_or_empty(std::int32_t v) { return v > 0 ? QString::fromStdString(rate_text(v)) : QString(); }

const char* const kRateColumns[] = {"パチンコ 貸玉料金（円）", "パチンコ 交換率（玉/100円）", "スロット 貸玉料金（円）",
                                    "スロット 交換率（枚/100円）"};

void refuse(const QString& text, QLineEdit* edit) {
    dialogs().message(text);
    edit->setFocus();
    edit->selectAll();
}

}  // namespace

RatesDialog::RatesDialog(const PlaySettings& current, std::vector<std::string> halls, QWidget* parent)
    : QDialog(parent), halls_(std::move(halls)), value_(current) {
    setWindowTitle(QStringLiteral("ホールのレート"));
    rates_table = new QTableWidget(static_cast<int>(halls_.size()), 4, this);
    QStringList heads;
    for (const char* h : kRateColumns) heads << QString::fromUtf8(h);
    rates_table->setHorizontalHeaderLabels(heads);
    QStringList names;
    for (std::size_t i = 0; i < halls_.size(); ++i) {
        names << from_cp932(halls_[i]);
        const HallRates* r = current.rates_of(halls_[i]);
        const HallRates none;
        const HallRates& h = r ? *r : none;
        const int row = static_cast<int>(i);
        rates_table->setCellWidget(row, 0, number_edit(price_or_empty(h.pachinko.lending_price), rates_table));
        rates_table->setCellWidget(row, 1, number_edit(rate_or_empty(h.pachinko.exchange_rate), rates_table));
        rates_table->setCellWidget(row, 2, number_edit(price_or_empty(h.slot.lending_price), rates_table));
        rates_table->setCellWidget(row, 3, number_edit(rate_or_empty(h.slot.exchange_rate), rates_table));
    }
    rates_table->setVerticalHeaderLabels(names);
    rates_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    stores_table = new QTableWidget(0, 4, this);
    stores_table->setHorizontalHeaderLabels({QStringLiteral("ホール"), QStringLiteral("種別"),
                                             QStringLiteral("貸玉料金（円）"), QStringLiteral("開始残高（玉・枚）")});
    stores_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const StoreStart& s : current.stores)
        if (std::find(halls_.begin(), halls_.end(), s.key.hall) != halls_.end()) add_store(&s);
    auto* add = new QPushButton(QStringLiteral("行を追加"), this);
    connect(add, &QPushButton::clicked, this, &RatesDialog::add_store_row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RatesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("ホールごとのレート（空欄は設定なし。等価は交換率 = 100 ÷ 貸玉料金）"), this));
    column->addWidget(rates_table);
    column->addWidget(new QLabel(QStringLiteral("貯玉の開始残高（残高 0 で削除）"), this));
    column->addWidget(stores_table);
    column->addWidget(add, 0, Qt::AlignLeft);
    column->addWidget(buttons);
    resize(760, 520);
}

void RatesDialog::add_store_row() { add_store(nullptr); }

void RatesDialog::add_store(const StoreStart* start) {
    const int row = stores_table->rowCount();
    stores_table->insertRow(row);
    auto* hall = new QComboBox(stores_table);
    for (const std::string& h : halls_) hall->addItem(from_cp932(h));
    auto* kind = new QComboBox(stores_table);
    kind->addItems({QStringLiteral("パチンコ"), QStringLiteral("スロット")});
    if (start) {
        hall->setCurrentIndex(static_cast<int>(std::find(halls_.begin(), halls_.end(), start->key.hall) - halls_.begin()));
        kind->setCurrentIndex(start->key.kind == Kind::Slot ? 1 : 0);
    }
    stores_table->setCellWidget(row, 0, hall);
    stores_table->setCellWidget(row, 1, kind);
    stores_table->setCellWidget(row, 2, number_edit(start ? price_or_empty(start->key.lending_price) : QString(), stores_table));
    stores_table->setCellWidget(row, 3,
                                number_edit(start ? QString::number(start->pieces) : QString(), stores_table));
}

QLineEdit* RatesDialog::rate_edit(int hall, int column) const {
    return qobject_cast<QLineEdit*>(rates_table->cellWidget(hall, column));
}
QComboBox* RatesDialog::store_hall(int row) const { return qobject_cast<QComboBox*>(stores_table->cellWidget(row, 0)); }
QComboBox* RatesDialog::store_kind(int row) const { return qobject_cast<QComboBox*>(stores_table->cellWidget(row, 1)); }
QLineEdit* RatesDialog::store_edit(int row, int column) const {
    return qobject_cast<QLineEdit*>(stores_table->cellWidget(row, column));
}

void RatesDialog::accept() {
    PlaySettings typed = value_;
    for (std::size_t i = 0; i < halls_.size(); ++i) {
        const int row = static_cast<int>(i);
        const QString hall = from_cp932(halls_[i]);
        HallRates rates;
        rates.hall = halls_[i];
        KindRates* kinds[] = {&rates.pachinko, &rates.slot};
        for (int k = 0; k < 2; ++k) {
            const QString kind = k == 0 ? QStringLiteral("パチンコ") : QStringLiteral("スロット");
            QLineEdit* price_edit = rate_edit(row, k * 2);
            QLineEdit* rate_box = rate_edit(row, k * 2 + 1);
            const TypedNumber price = read_price(price_edit->text());
            const TypedNumber rate = read_rate(rate_box->text());
            if (!price.ok)
                return refuse(hall + QStringLiteral("の") + kind + QStringLiteral("の貸玉料金は 0.01 から 999.99 までの円で入力してください"),
                              price_edit);
            if (!rate.ok)
                return refuse(hall + QStringLiteral("の") + kind + QStringLiteral("の交換率は 0.1 から 999.9 までの数で入力してください"),
                              rate_box);
            if (price.value.has_value() != rate.value.has_value())
                return refuse(hall + QStringLiteral("の") + kind + QStringLiteral("は貸玉料金と交換率を両方入力してください"),
                              price.value ? rate_box : price_edit);
            kinds[k]->lending_price = static_cast<std::int32_t>(price.value.value_or(0));
            kinds[k]->exchange_rate = static_cast<std::int32_t>(rate.value.value_or(0));
        }
        set_rates(typed, rates);
    }
    // The balances of the listed halls are what the table holds now.
    std::erase_if(typed.stores, [&](const StoreStart& s) {
        return std::find(halls_.begin(), halls_.end(), s.key.hall) != halls_.end();
    });
    for (int row = 0; row < stores_table->rowCount(); ++row) {
        const int hall_index = store_hall(row)->currentIndex();
        if (hall_index < 0) continue;
        const QString hall = store_hall(row)->currentText();
        const TypedNumber price = read_price(store_edit(row, 2)->text());
        const TypedNumber pieces = read_count(store_edit(row, 3)->text(), kMaxPieces);
        if (!pieces.ok)
            return refuse(hall + QStringLiteral("の貯玉の開始残高は 0 から 99,999,999 までの整数で入力してください"),
                          store_edit(row, 3));
        if (pieces.value.value_or(0) == 0) continue;
        if (!price.ok || !price.value)
            return refuse(hall + QStringLiteral("の貯玉の貸玉料金は 0.01 から 999.99 までの円で入力してください"),
                          store_edit(row, 2));
        const StoreKey key{halls_[static_cast<std::size_t>(hall_index)],
                           store_kind(row)->currentIndex() == 1 ? Kind::Slot : Kind::Pachinko,
                           static_cast<std::int32_t>(*price.value)};
        if (typed.start_of(key) != 0)
            return refuse(hall + QStringLiteral("の同じ種別と貸玉料金の貯玉が二つあります"), store_edit(row, 2));
        set_store_start(typed, key, *pieces.value);
    }
    value_ = std::move(typed);
    QDialog::accept();
}

}  // namespace velmo::play
