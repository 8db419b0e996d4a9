#pragma once
// The dialog "予算の設定": the monthly budget and the per-visit limit, in yen.
#include <QDialog>

#include "budget/budget.h"

class QLineEdit;

namespace velmo::budget {

class BudgetDialog : public QDialog {
    Q_OBJECT
public:
    explicit BudgetDialog(const Budget& current, QWidget* parent = nullptr);

    // The amounts as typed; valid once the dialog was accepted.
    Budget value() const { return value_; }
    // OK: takes both amounts, or tells what is wrong and keeps the dialog open
    // with the wrong amount selected.
    void accept() override;

    QLineEdit* monthly_edit = nullptr;
    QLineEdit* visit_edit = nullptr;

private:
    Budget value_;
};

// The message for an amount that cannot be taken.
QString bad_amount_message(const QString& name);

}  // namespace velmo::budget
