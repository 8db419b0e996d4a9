#include "entry/tform3.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>

#include <functional>
#include <utility>
#include <map>
#include <vector>

#include "entry/registry_dialog.h"
#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/text_guard.h"
#include "framework/widgets.h"
#include "ledger/registry_file.h"
#include "shell/tform1.h"

TForm3* Form3 = nullptr;

namespace {

using velmo::u;

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 440;

// Byte limits of the names, as the registry file keeps them.
constexpr std::size_t kHallNameBytes = 32;
constexpr std::size_t kMachineNameBytes = 40;
constexpr std::size_t kAttributeNameBytes = 32;

const QString kPlainName = QStringLiteral("QLineEdit { background: rgb(255,255,255); }");
const QString kTintedName = QStringLiteral("QLineEdit { background: rgb(255,255,220); }");

// A list box that tells its owner about presses, moves and releases of the
// mouse after its own handling (so the selection already follows the pointer),
// and about a choice made with the keyboard.
class RegistryList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> on_mouse_down;
    std::function<void()> on_mouse_move;
    std::function<void()> on_mouse_up;
    std::function<void()> on_choose;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QListWidget::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && on_mouse_down) on_mouse_down();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        QListWidget::mouseMoveEvent(event);
        if (on_mouse_move) on_mouse_move();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QListWidget::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton) return;
        if (on_mouse_up) on_mouse_up();
        if (on_choose) on_choose();
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int before = TForm3::selected_row(this);
        QListWidget::keyPressEvent(event);
        if (TForm3::selected_row(this) != before && on_choose) on_choose();
    }
};

std::size_t byte_length(const QString& text) { return velmo::cp932_lossy(text).size(); }

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
    PageControl1 = new velmo::TabControl(this, 25);
    PageControl1->setGeometry(4, 4, kClientWidth - 8, 390);
    TabSheet1 = new QWidget();
    TabSheet2 = new QWidget();
    velmo::add_pages(*PageControl1, {{TabSheet1, u("ホール名登録")}, {TabSheet2, u("機種名登録")}});

    // Hall page.
    Edit1 = new QLineEdit(TabSheet1);
    Edit1->setGeometry(8, 8, 260, 22);
    Edit1->setMaxLength(static_cast<int>(kHallNameBytes));
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, true);
    Edit1->setProperty("Tag", 0);
    auto* halls = new RegistryList(TabSheet1);
    halls->setGeometry(8, 36, 260, 316);
    ListBox1 = halls;

    // Machine page: the list on the left, the attributes on the right.
    Edit2 = new QLineEdit(TabSheet2);
    Edit2->setGeometry(8, 8, 200, 22);
    Edit2->setMaxLength(static_cast<int>(kMachineNameBytes));
    Edit2->setAttribute(Qt::WA_InputMethodEnabled, true);
    Edit2->setProperty("Tag", 1);
    auto* machines = new RegistryList(TabSheet2);
    machines->setGeometry(8, 36, 200, 316);
    ListBox2 = machines;

    // Names are kept as CP932 bytes: what it cannot hold is refused where typed,
    // and the limits count bytes.
    velmo::guard_text(Edit1, kHallNameBytes);
    velmo::guard_text(Edit2, kMachineNameBytes);
    for (QLineEdit* e : {Edit1, Edit2}) e->installEventFilter(this);
    for (RegistryList* l : {halls, machines}) {
        const int tag = l == halls ? 0 : 1;
        l->setProperty("Tag", tag);
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        l->on_mouse_down = [this, tag] { ListBox1MD(tag); };
        l->on_mouse_move = [this, tag] { ListBox1MM(tag); };
        l->on_mouse_up = [this, tag] { ListBox1MU(tag); };
        l->on_choose = [this, tag] { selitem(tag); };
    }

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
        name->setMaxLength(static_cast<int>(kAttributeNameBytes));
        name->setProperty("Tag", i);
        velmo::guard_text(name, kAttributeNameBytes);
        CheckBox[static_cast<std::size_t>(i)] = box;
        AttributeEdit[static_cast<std::size_t>(i)] = name;
        connect(box, &QCheckBox::clicked, this, [this, i](bool) { attr_change(i); });
        connect(name, &QLineEdit::textChanged, this, [this, i](const QString&) { EditChange(i); });
    }
    connect(ListBox2, &QListWidget::itemSelectionChanged, this, [this] { show_attributes(); });

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
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
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
    const int machine = selected_row(ListBox2);
    if (machine < 0 || !Form1 || tag < 0 || tag >= kAttributes) return;
    auto& masks = Form1->attr_mask;
    if (static_cast<std::size_t>(machine) >= masks.size()) masks.resize(static_cast<std::size_t>(machine) + 1, 0);
    const auto bit = static_cast<std::uint16_t>(1u << tag);
    auto& mask = masks[static_cast<std::size_t>(machine)];
    mask = static_cast<std::uint16_t>(attribute_check(tag)->isChecked() ? (mask | bit) : (mask & ~bit));
    show_attributes();
}

void TForm3::show_attributes() {
    const int machine = selected_row(ListBox2);
    if (machine < 0 || !Form1) return;
    const auto& masks = Form1->attr_mask;
    const std::uint16_t mask =
        static_cast<std::size_t>(machine) < masks.size() ? masks[static_cast<std::size_t>(machine)] : 0;
    for (int i = 0; i < kAttributes; ++i) {
        const bool set = (mask >> i) & 1u;
        attribute_check(i)->setChecked(set);
        attribute_edit(i)->setStyleSheet(set ? kTintedName : kPlainName);
    }
}

QListWidget* TForm3::list(int tag) const { return tag == 0 ? ListBox1 : ListBox2; }
QLineEdit* TForm3::name_edit(int tag) const { return tag == 0 ? Edit1 : Edit2; }

int TForm3::selected_row(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

int TForm3::page_tag() const { return PageControl1->currentWidget() == TabSheet1 ? 0 : 1; }

void TForm3::select_machine(int row) {
    ListBox2->setCurrentRow(row);
    show_attributes();
}

void TForm3::add(int tag) {
    QLineEdit* edit = name_edit(tag);
    if (edit->text().isEmpty()) return;
    QListWidget* names = list(tag);
    const auto count = static_cast<std::size_t>(names->count());
    // New names go to the top; the same name may be listed twice.
    names->insertItem(0, edit->text());
    edit->clear();
    remembered_length = 0;
    if (tag == 0 || !Form1) return;
    velmo::insert_mask_at_top(Form1->attr_mask, count);
    Form1->attr_mask_present = true;
    select_machine(0);
}

void TForm3::Button1Click() { add(page_tag()); }

void TForm3::Button2Click() {
    const int tag = page_tag();
    QListWidget* names = list(tag);
    QLineEdit* edit = name_edit(tag);
    const int row = selected_row(names);
    if (row < 0 || edit->text().isEmpty()) return;
    // The machine keeps its mask; records already in the ledger keep the old name.
    const std::string old_name = velmo::registry_item_name(*names->item(row));
    names->item(row)->setText(edit->text());
    edit->clear();
    if (tag == 0) hall_changed(old_name, velmo::registry_item_name(*names->item(row)));
    if (tag == 1) machine_changed(old_name, velmo::registry_item_name(*names->item(row)));
}

// Tells the year window's hook of a hall renamed or deleted, with the halls listed now.
void TForm3::hall_changed(const std::string& old_name, const std::optional<std::string>& new_name) {
    if (!Form1 || !Form1->on_registry_hall_changed) return;
    std::vector<std::string> halls;
    for (int i = 0; i < ListBox1->count(); ++i) halls.push_back(velmo::registry_item_name(*ListBox1->item(i)));
    Form1->on_registry_hall_changed(old_name, new_name, halls);
}

// Tells the year window's hook of a machine renamed or deleted, with the machines listed now.
void TForm3::machine_changed(const std::string& old_name, const std::optional<std::string>& new_name) {
    if (!Form1 || !Form1->on_registry_machine_changed) return;
    std::vector<std::string> machines;
    for (int i = 0; i < ListBox2->count(); ++i) machines.push_back(velmo::registry_item_name(*ListBox2->item(i)));
    Form1->on_registry_machine_changed(old_name, new_name, machines);
}

void TForm3::Button3Click() {
    const int tag = page_tag();
    QListWidget* names = list(tag);
    const int row = selected_row(names);
    if (row < 0) return;
    const auto count = static_cast<std::size_t>(names->count());
    // No machine is selected afterwards, so the attribute boxes change nobody's mask
    // until another machine is chosen.
    const QSignalBlocker quiet(names);
    const std::string old_name = velmo::registry_item_name(*names->item(row));
    delete names->takeItem(row);
    names->clearSelection();
    names->setCurrentRow(-1);
    name_edit(tag)->clear();
    if (tag == 1 && Form1) velmo::remove_mask(Form1->attr_mask, static_cast<std::size_t>(row), count);
    if (tag == 0) hall_changed(old_name, std::nullopt);
    if (tag == 1) machine_changed(old_name, std::nullopt);
}

namespace {

// Gives the rows new names in order; the bytes a name came with from the file
// go with it to its new row.
void rename_rows(QListWidget& list, const std::vector<QString>& names) {
    std::multimap<QString, QVariant> held;
    for (int i = 0; i < list.count(); ++i) held.emplace(list.item(i)->text(), list.item(i)->data(velmo::kNameBytesRole));
    for (int i = 0; i < list.count(); ++i) {
        QListWidgetItem* item = list.item(i);
        const QString& name = names[static_cast<std::size_t>(i)];
        item->setText(name);
        const auto found = held.find(name);
        item->setData(velmo::kNameBytesRole, found != held.end() ? found->second : QVariant());
        if (found != held.end()) held.erase(found);
    }
}

}  // namespace

void TForm3::Button5Click() {
    if (page_tag() == 0) {
        std::vector<QString> names;
        for (int i = 0; i < ListBox1->count(); ++i) names.push_back(ListBox1->item(i)->text());
        names = velmo::sorted_names(std::move(names));
        rename_rows(*ListBox1, names);
        // The rows now hold other names: nothing stays selected, so a rename cannot hit the wrong hall.
        ListBox1->clearSelection();
        ListBox1->setCurrentRow(-1);
        return;
    }
    const auto count = static_cast<std::size_t>(ListBox2->count());
    const std::vector<std::uint16_t> masks =
        velmo::fitted_masks(Form1 ? Form1->attr_mask : std::vector<std::uint16_t>(), count);
    std::vector<velmo::MachineWithMask> machines;
    for (std::size_t i = 0; i < count; ++i)
        machines.push_back({ListBox2->item(static_cast<int>(i))->text(), masks[i]});
    machines = velmo::sorted_machines(std::move(machines));
    std::vector<std::uint16_t> sorted(count, 0);
    std::vector<QString> names(count);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = machines[i].name;
        sorted[i] = machines[i].mask;
    }
    rename_rows(*ListBox2, names);
    if (Form1) {
        Form1->attr_mask = std::move(sorted);
        Form1->attr_mask_present = true;
    }
    if (count > 0) select_machine(0);
}

void TForm3::chkstr(int tag, int key) {
    const QLineEdit* edit = name_edit(tag);
    const std::size_t length = byte_length(edit->text());
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool committed = std::exchange(input_method_committed, false);
    switch (velmo::name_key_action(length, remembered_length, enter, committed)) {
    case velmo::NameKeyAction::kNothing: break;
    case velmo::NameKeyAction::kRemember: remembered_length = length; break;
    case velmo::NameKeyAction::kAdd: add(tag); break;
    }
}

void TForm3::selitem(int tag) {
    const int row = selected_row(list(tag));
    if (row < 0) return;
    name_edit(tag)->setText(list(tag)->item(row)->text());
    if (tag == 1) show_attributes();
}

void TForm3::ListBox1MD(int tag) {
    dragging = true;
    drag_index = selected_row(list(tag));
}

void TForm3::ListBox1MM(int tag) {
    if (!dragging) return;
    QListWidget* names = list(tag);
    const int to = selected_row(names);
    if (drag_index < 0 || to < 0 || to == drag_index || drag_index >= names->count()) return;
    // The dragged item goes to the pointer's place and the items between move
    // one place toward where it came from, whatever rows the pointer skipped.
    const auto count = static_cast<std::size_t>(names->count());
    {
        const QSignalBlocker quiet(names);
        QListWidgetItem* item = names->takeItem(drag_index);
        names->insertItem(to, item);
        names->setCurrentRow(to);
    }
    if (tag == 1 && Form1) {
        Form1->attr_mask = velmo::fitted_masks(std::move(Form1->attr_mask), count);
        velmo::move_element(Form1->attr_mask, static_cast<std::size_t>(drag_index), static_cast<std::size_t>(to));
        show_attributes();
    }
    drag_index = to;
}

void TForm3::ListBox1MU(int) { dragging = false; }

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    // The key released next is the one that made the input method commit.
    if (event->type() == QEvent::InputMethod && (watched == Edit1 || watched == Edit2) &&
        !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
        input_method_committed = true;
    if (event->type() == QEvent::KeyRelease && (watched == Edit1 || watched == Edit2)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) chkstr(watched == Edit1 ? 0 : 1, key->key());
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::form3open() {
    if (Form1) Form1->setEnabled(false);
}

void TForm3::form3close() { velmo::write_registry(); }

void TForm3::Button4Click() { velmo::write_registry(); }

void TForm3::setVisible(bool visible) {
    // The name boxes get their background on the first showing: a style sheet
    // is costly to set up and to apply, and nothing shows them before.
    if (visible)
        for (QLineEdit* name : AttributeEdit)
            if (name->styleSheet().isEmpty()) name->setStyleSheet(kPlainName);
    QWidget::setVisible(visible);
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form3open();
}

void TForm3::closeEvent(QCloseEvent* event) {
    form3close();
    event->accept();
}
