#include "entry/tform7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/number_edit.h"
#include "framework/text_guard.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "shell/tform1.h"

#include <QCheckBox>
#include <QCloseEvent>

TForm7* Form7 = nullptr;

namespace {
using velmo::u;
}  // namespace

TForm7::TForm7() : QWidget(nullptr, Qt::Dialog) {
    Form7 = this;
    build();
}

TForm7::~TForm7() {
    if (Form7 == this) Form7 = nullptr;
}

std::string TForm7::extra_name() const { return velmo::cp932_lossy(Edit1->text()); }

void TForm7::build() {
    setWindowTitle(u("年収支一覧に項目を追加"));
    setFont(velmo::ui_font(12));
    setFixedSize(350, 330);

    GroupBox1 = new QGroupBox(u("追加項目設定"), this);
    GroupBox1->setGeometry(8, 4, 334, 280);
    auto label = [this](const char* text, int x, int y, int w) {
        auto* l = new QLabel(u(text), GroupBox1);
        l->setGeometry(x, y, w, 16);
        return l;
    };
    label("項目名", 10, 22, 80);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setGeometry(10, 38, 130, 22);
    label("セル挿入位置", 150, 22, 86);
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setGeometry(150, 38, 60, 22);
    for (const char* p : {"3", "4", "5", "6", "7"}) ComboBox1->addItem(QString::fromLatin1(p));
    ComboBox1->setCurrentIndex(4);
    label("セル幅(ドット)", 244, 22, 86);
    ComboBox3 = new QComboBox(GroupBox1);
    ComboBox3->setGeometry(244, 38, 70, 22);
    for (int w = 14; w <= 182; w += 14) ComboBox3->addItem(QString::number(w));  // 14 chosen

    auto* format = new QGroupBox(u("書式"), GroupBox1);
    format->setGeometry(10, 68, 314, 44);
    RadioButton1 = new QRadioButton(u("左揃え"), format);
    RadioButton1->setGeometry(8, 18, 90, 20);
    RadioButton1->setProperty("Tag", 0);
    RadioButton2 = new QRadioButton(u("中央揃え"), format);
    RadioButton2->setGeometry(100, 18, 90, 20);
    RadioButton2->setProperty("Tag", 1);
    RadioButton3 = new QRadioButton(u("右揃え"), format);
    RadioButton3->setGeometry(196, 18, 90, 20);
    RadioButton3->setProperty("Tag", 2);
    RadioButton1->setChecked(true);

    auto* method = new QGroupBox(u("データ入力方法"), GroupBox1);
    method->setGeometry(10, 118, 314, 44);
    CheckBox1 = new QCheckBox(u("リストデータ入力"), method);
    CheckBox1->setGeometry(8, 18, 200, 20);

    auto* list = new QGroupBox(GroupBox1);
    list->setGeometry(10, 168, 314, 100);
    Label5 = new QLabel(u("リストデータ登録"), list);
    Label5->setGeometry(8, 6, 200, 16);
    ComboBox2 = new QComboBox(list);
    ComboBox2->setGeometry(8, 26, 180, 22);
    Button4 = new QPushButton(u("登録"), list);
    Button4->setGeometry(196, 24, 44, 24);
    Button5 = new QPushButton(u("削除"), list);
    Button5->setGeometry(244, 24, 44, 24);
    for (QWidget* w : {static_cast<QWidget*>(Label5), static_cast<QWidget*>(ComboBox2),
                       static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button5)})
        w->setEnabled(false);

    Button6 = new QPushButton(u("項目削除"), this);
    Button6->setGeometry(8, 294, 90, 26);
    Button2 = new QPushButton(u("追加"), this);
    Button2->setGeometry(156, 294, 90, 26);
    Button3 = new QPushButton(u("キャンセル"), this);
    Button3->setGeometry(252, 294, 90, 26);
    connect(Button3, &QPushButton::clicked, this, [this] { close7(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });

    // Enter in an edit field adds nothing to a list: preset values go in through 登録 alone.
    for (QComboBox* box : {ComboBox2, ComboBox3}) box->setInsertPolicy(QComboBox::NoInsert);

    // The name is stored as a one-byte-length text.
    velmo::guard_text(Edit1, velmo::kShortTextMax);
}

void TForm7::setVisible(bool visible) {
    if (visible) {
        // The width is a number: its edit field takes no input method.
        if (velmo::make_editable(*ComboBox3)) velmo::give_number_edit(*ComboBox3);
        // Preset values are stored as one-byte-length texts.
        if (velmo::make_editable(*ComboBox2)) velmo::guard_text(ComboBox2, velmo::kShortTextMax);
    }
    QWidget::setVisible(visible);
}

void TForm7::close7() {
    hide();
    if (Form1) {
        Form1->setEnabled(true);
        Form1->show();
    }
}

void TForm7::closeEvent(QCloseEvent* event) {
    close7();
    event->accept();
}
