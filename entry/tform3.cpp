#include "entry/tform3.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include "framework/draw.h"
#include "ledger/registry_file.h"
#include "shell/tform1.h"

TForm3* Form3 = nullptr;

namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 440;

}  // namespace

TForm3::TForm3() {
    if (!Form3) Form3 = this;
    setWindowTitle(u("ホール名、機種名登録"));
    setFont(velmo::ui_font(12));
    build();
    setFixedSize(kClientWidth, kClientHeight);
    // Centred on the screen in both directions.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

TForm3::~TForm3() {
    if (Form3 == this) Form3 = nullptr;
}

void TForm3::build() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(4, 4, kClientWidth - 8, 390);
    TabSheet1 = new QWidget();
    TabSheet2 = new QWidget();
    PageControl1->addTab(TabSheet1, u("ホール名登録"));
    PageControl1->addTab(TabSheet2, u("機種名登録"));

    // Hall page.
    Edit1 = new QLineEdit(TabSheet1);
    Edit1->setGeometry(8, 8, 260, 22);
    Edit1->setMaxLength(32);
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, true);
    ListBox1 = new QListWidget(TabSheet1);
    ListBox1->setGeometry(8, 36, 260, 316);

    // Machine page: the list on the left, the attributes on the right.
    Edit2 = new QLineEdit(TabSheet2);
    Edit2->setGeometry(8, 8, 200, 22);
    Edit2->setMaxLength(40);
    Edit2->setAttribute(Qt::WA_InputMethodEnabled, true);
    ListBox2 = new QListWidget(TabSheet2);
    ListBox2->setGeometry(8, 36, 200, 316);

    Label1 = new QLabel(u("機種属性設定"), TabSheet2);
    Label1->setGeometry(216, 8, 240, 20);
    for (int i = 0; i < kAttributes; ++i) {
        // Attributes 1..8 in the left column, 9..16 in the right one.
        const int x = 216 + (i / 8) * 124;
        const int y = 36 + (i % 8) * 40;
        auto* box = new QCheckBox(TabSheet2);
        box->setGeometry(x, y, 18, 20);
        box->setEnabled(false);
        box->setProperty("Tag", i);
        auto* name = new QLineEdit(TabSheet2);
        name->setGeometry(x + 20, y, 100, 20);
        name->setMaxLength(32);
        name->setProperty("Tag", i);
        name->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(255,255,255); }"));
        CheckBox[static_cast<std::size_t>(i)] = box;
        AttributeEdit[static_cast<std::size_t>(i)] = name;
        connect(box, &QCheckBox::clicked, this, [this, i](bool) { attr_change(i); });
        connect(name, &QLineEdit::textChanged, this, [this, i](const QString&) { EditChange(i); });
    }
    connect(ListBox2, &QListWidget::currentRowChanged, this, [this](int) { show_attributes(); });

    auto button = [this](const char* caption, int x) {
        auto* b = new QPushButton(u(caption), this);
        b->setGeometry(x, 402, 84, 28);
        return b;
    };
    Button1 = button("登録", 8);
    Button2 = button("訂正", 100);
    Button3 = button("削除", 192);
    Button5 = button("ソート", 284);
    Button4 = button("終了", 388);
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

QCheckBox* TForm3::check_box(int number) const {
    return number >= 1 && number <= kAttributes ? CheckBox[static_cast<std::size_t>(number - 1)] : nullptr;
}

QLineEdit* TForm3::edit(int number) const {
    if (number == 1) return Edit1;
    if (number == 2) return Edit2;
    return number >= 3 && number <= kAttributes + 2 ? AttributeEdit[static_cast<std::size_t>(number - 3)] : nullptr;
}

QLineEdit* TForm3::attribute_edit(int index) const { return edit(index + 3); }
QCheckBox* TForm3::attribute_check(int index) const { return check_box(index + 1); }

void TForm3::EditChange(int tag) {
    QCheckBox* box = attribute_check(tag);
    if (!box) return;
    if (!attribute_edit(tag)->text().isEmpty()) {
        box->setEnabled(true);
        return;
    }
    // A name cleared: the selected machine loses the attribute, and nobody can be given it.
    if (box->isChecked()) {
        box->setChecked(false);
        attr_change(tag);
    }
    box->setEnabled(false);
}

void TForm3::attr_change(int tag) {
    const int machine = ListBox2->currentRow();
    if (machine < 0 || !Form1 || tag < 0 || tag >= kAttributes) return;
    auto& masks = Form1->attr_mask;
    if (static_cast<std::size_t>(machine) >= masks.size()) masks.resize(static_cast<std::size_t>(machine) + 1, 0);
    const auto bit = static_cast<std::uint16_t>(1u << tag);
    auto& mask = masks[static_cast<std::size_t>(machine)];
    mask = static_cast<std::uint16_t>(attribute_check(tag)->isChecked() ? (mask | bit) : (mask & ~bit));
    show_attributes();
}

void TForm3::show_attributes() {
    const int machine = ListBox2->currentRow();
    if (machine < 0 || !Form1) return;
    const auto& masks = Form1->attr_mask;
    const std::uint16_t mask =
        static_cast<std::size_t>(machine) < masks.size() ? masks[static_cast<std::size_t>(machine)] : 0;
    for (int i = 0; i < kAttributes; ++i) {
        const bool set = (mask >> i) & 1u;
        attribute_check(i)->setChecked(set);
        attribute_edit(i)->setStyleSheet(set ? QStringLiteral("QLineEdit { background: rgb(255,255,220); }")
                                             : QStringLiteral("QLineEdit { background: rgb(255,255,255); }"));
    }
}

void TForm3::form3open() {
    if (Form1) Form1->setEnabled(false);
}

void TForm3::form3close() { velmo::write_registry(); }

void TForm3::Button4Click() { velmo::write_registry(); }

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form3open();
}

void TForm3::closeEvent(QCloseEvent* event) {
    form3close();
    event->accept();
}
