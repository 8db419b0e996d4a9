#pragma once
// The dialog "ホールのレート": for each hall of the registry its lending price and
// exchange rate for pachinko and for slots, and the starting balances of the
// halls' stores (貯玉) by kind and lending price.
#include <QDialog>

#include <string>
#include <vector>

#include "play/play_settings.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace velmo::play {

class RatesDialog : public QDialog {
    Q_OBJECT
public:
    // halls: the registry's halls in list order, CP932.
    RatesDialog(const PlaySettings& current, std::vector<std::string> halls, QWidget* parent = nullptr);

    // What was typed; valid once the dialog was accepted. Rates and balances of
    // halls the registry does not list are kept as they were.
    const PlaySettings& value() const { return value_; }
    // OK: takes every box, or names the hall and the box that is wrong and
    // keeps the dialog open with it selected.
    void accept() override;
    // Adds an empty row of starting balances.
    void add_store_row();

    // One row per hall: pachinko price, pachinko rate, slot price, slot rate.
    QTableWidget* rates_table = nullptr;
    QTableWidget* stores_table = nullptr;
    QLineEdit* rate_edit(int hall, int column) const;
    QComboBox* store_hall(int row) const;
    QComboBox* store_kind(int row) const;
    QLineEdit* store_edit(int row, int column) const;  // 2 lending price, 3 balance

private:
    void add_store(const StoreStart* start);

    std::vector<std::string> halls_;
    PlaySettings value_;
};

}  // namespace velmo::play
