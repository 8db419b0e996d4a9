#include "budget/budget_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/dialogs.h"
#include "framework/number_edit.h"

namespace velmo::budget {

namespace {

const QString kMonthlyName = QStringLiteral("月の予算（損失の上限）");
const QString kVisitName = QStringLiteral("1回の投資の上限");

QLineEdit* amount_edit(std::int64_t amount, QWidget* parent) {
    auto* edit = new NumberEdit(parent);
    edit->setText(yen_qtext(amount));
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("99,999,999")) * 3 / 2);
    return edit;
}

QWidget* with_unit(QLineEdit* edit, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    layout->addWidget(new QLabel(QStringLiteral("円"), row));
    return row;
}

}  // namespace

QString bad_amount_message(const QString& name) {
    return name + QStringLiteral("は 0 から 99,999,999 までの円の整数で入力してください（0 で設定なし）");
}

BudgetDialog::BudgetDialog(const Budget& current, QWidget* parent) : QDialog(parent), value_(current) {
    setWindowTitle(QStringLiteral("予算の設定"));
    monthly_edit = amount_edit(current.monthly, this);
    visit_edit = amount_edit(current.per_visit, this);
    auto* form = new QFormLayout();
    form->addRow(kMonthlyName, with_unit(monthly_edit, this));
    form->addRow(kVisitName, with_unit(visit_edit, this));
    auto* note = new QLabel(QStringLiteral("0 で設定なし"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(note);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &BudgetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    monthly_edit->selectAll();
}

void BudgetDialog::accept() {
    Budget typed;
    const std::pair<QLineEdit*, const QString*> fields[] = {{monthly_edit, &kMonthlyName}, {visit_edit, &kVisitName}};
    std::int64_t* amounts[] = {&typed.monthly, &typed.per_visit};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto amount = read_amount(fields[i].first->text());
        if (!amount) {
            dialogs().message(bad_amount_message(*fields[i].second));
            fields[i].first->setFocus();
            fields[i].first->selectAll();
            return;
        }
        *amounts[i] = *amount;
    }
    value_ = typed;
    QDialog::accept();
}

}  // namespace velmo::budget
