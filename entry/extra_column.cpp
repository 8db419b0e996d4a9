// The extra-column dialog: add, move, change and delete the player's own column.
#include "entry/extra_column.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>

#include "entry/tform2.h"
#include "entry/tform7.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "shell/tform1.h"

namespace velmo {

ColumnRoles roles_with_extra_at(int extra_col) {
    ColumnRoles roles = kDefaultRoles;
    for (auto& r : roles)
        if (r >= extra_col) ++r;
    return roles;
}

}  // namespace velmo

namespace {
using velmo::u;

void set_roles(TForm1& f, const velmo::ColumnRoles& roles) {
    f.hall_col = roles[0];
    f.machine_col = roles[1];
    f.balance_col = roles[2];
    f.total_col = roles[3];
}
}  // namespace

void TForm7::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Centred on the screen in both directions.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize frame = frameGeometry().size();
        move(area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2);
    }
    open7();
}

void TForm7::open7() {
    TForm1& f = *Form1;
    ComboBox3->setEditText(f.extra_steps > 0 ? QString::number(f.extra_steps * 14) : QStringLiteral("14"));
    f.setEnabled(false);
    if (f.has_extra == 1) {
        Button6->setEnabled(true);
        Button2->setText(u("訂正"));
        ComboBox1->setCurrentIndex(extra_pos_index);
        CheckBox1->setChecked(list_count > 0);
        previous_place = f.extra_col;
    } else {
        Edit1->clear();
        ComboBox1->setCurrentIndex(4);
        Button6->setEnabled(false);
        Button2->setText(u("追加"));
        CheckBox1->setChecked(false);
        extra_align = 0;
        extra_width = 0;
    }
    CheckBox1Click();
    RadioButton1->setChecked(extra_align == 0);
    RadioButton2->setChecked(extra_align == 1);
    RadioButton3->setChecked(extra_align == 2);
}

void TForm7::CheckBox1Click() {
    const bool on = CheckBox1->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Label5), static_cast<QWidget*>(ComboBox2),
                       static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button5)})
        w->setEnabled(on);
}

void TForm7::Button4Click() {
    if (ComboBox2->count() >= 10) {
        velmo::dialogs().message(u("リストデータの登録は１０件までです"));
    } else {
        const QString text = ComboBox2->currentText();
        if (ComboBox2->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) ComboBox2->addItem(text);
    }
    // No value stays chosen: the next one is typed into an empty box.
    ComboBox2->setCurrentIndex(-1);
    ComboBox2->setEditText(QString());
}

void TForm7::Button5Click() {
    const int i = ComboBox2->currentIndex();
    if (i >= 0 && ComboBox2->itemText(i) == ComboBox2->currentText()) {
        ComboBox2->removeItem(i);
        ComboBox2->setCurrentIndex(-1);  // not the neighbour the list would choose by itself
    }
}

void TForm7::Button2Click() {
    TForm1& f = *Form1;
    if (Edit1->text().isEmpty()) {
        velmo::dialogs().message(u("項目名の入力がありません"));
        return;
    }
    // A width the window cannot make room for is refused before anything changes.
    const std::optional<std::int64_t> width = velmo::parse_number(ComboBox3->currentText().trimmed().toStdString());
    if (!width || *width < 1 || *width > velmo::kMaxExtraWidth) {
        velmo::dialogs().message(u("セル幅は1から294までの数値で入力してください"));
        return;
    }
    extra_width = static_cast<int>(*width);
    f.extra_steps = extra_width / 14;
    if (f.extra_steps + f.hsize_level > 21) f.hsize_level = static_cast<std::int8_t>(21 - f.extra_steps);

    if (RadioButton2->isChecked()) extra_align = 1;
    else if (RadioButton3->isChecked()) extra_align = 2;
    else extra_align = 0;
    extra_pos_index = ComboBox1->currentIndex();
    list_count = ComboBox2->count();
    f.dirty |= TForm1::kLedgerChanged;
    const int new_index = ComboBox1->currentText().toInt() - 1;
    f.extra_col = static_cast<std::uint8_t>(new_index);
    f.graph_ok = 0;

    const int last_row = f.rec_count;
    if (f.has_extra == 1) {
        f.apply_width_step();
        f.StringGrid1->move_column(previous_place, new_index, 0, last_row);
        set_roles(f, velmo::roles_with_extra_at(new_index));
        f.StringGrid1->set_col_width(new_index, extra_width);
        if (!CheckBox1->isChecked()) list_count = 0;
    } else {
        f.has_extra = 1;
        f.apply_width_step();
        f.StringGrid1->set_col_count(7);
        f.StringGrid1->move_column(6, new_index, 0, f.StringGrid1->row_count() - 1);
        set_roles(f, velmo::roles_with_extra_at(new_index));
        for (int r = 0; r <= last_row; ++r) f.StringGrid1->set_cell(new_index, r, std::string());
    }
    const std::string name = extra_name();
    f.StringGrid1->set_cell(new_index, 0, name);
    f.StringGrid1->set_col_width(new_index, extra_width);
    f.PageControl1->setTabText(f.PageControl1->indexOf(f.TabSheet3), u("曜日収支、") + Edit1->text());
    f.StringGrid6->show();
    f.StringGrid6->set_cell(1, 0, name);
    QStringList values;
    for (int i = 0; i < ComboBox2->count(); ++i) values.append(ComboBox2->itemText(i));
    velmo::offer_values(*Form2->ComboBox3, values);  // a record gets a value only when the user chooses one
    f.IncomeTuika->setText(u("項目訂正"));
    f.apply_width_step();  // the entry dialog's value group follows the column
    f.compute_extra_summary();
    close7();
    f.ledger_changed();
}

void TForm7::Button6Click() {
    TForm1& f = *Form1;
    const QString header = velmo::from_cp932(f.StringGrid1->cell(f.extra_col, 0));
    if (!velmo::dialogs().question(u("項目 「") + header + u("」を削除します"))) return;
    f.dirty |= TForm1::kLedgerChanged;
    f.StringGrid1->move_column(f.extra_col, 6, 0, f.StringGrid1->row_count() - 1);
    for (int r = 0; r <= f.rec_count; ++r) f.StringGrid1->set_cell(6, r, std::string());
    set_roles(f, velmo::kDefaultRoles);
    f.extra_col = 255;
    ComboBox2->clear();
    Form2->ComboBox3->clear();
    f.PageControl1->setTabText(f.PageControl1->indexOf(f.TabSheet3), u("曜日収支"));
    f.StringGrid1->set_col_count(6);
    f.StringGrid6->hide();
    f.IncomeTuika->setText(u("項目追加"));
    f.has_extra = 0;
    f.graph_ok = 0;
    f.extra_steps = 0;
    list_count = 0;
    f.apply_width_step();
    close7();
    f.ledger_changed();
}
