#include "ledger/registry_file.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

#include "entry/tform2.h"
#include "entry/tform3.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "framework/save_dialogs.h"
#include "framework/user_files.h"
#include "framework/widgets.h"
#include "ledger/player_settings.h"
#include "shell/tform1.h"

namespace velmo {

namespace {

std::string widget_text(const QString& text) { return cp932_lossy(text); }

}  // namespace

std::string registry_item_name(const QListWidgetItem& item) {
    const QVariant held = item.data(kNameBytesRole);
    if (held.isValid()) {
        const QByteArray bytes = held.toByteArray();
        const std::string name(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (from_cp932(name) == item.text()) return name;
    }
    return widget_text(item.text());
}

namespace {

void add_names(QListWidget& list, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        auto* item = new QListWidgetItem(from_cp932(name), &list);
        item->setData(kNameBytesRole, QByteArray::fromStdString(name));
    }
}

}  // namespace

QString registry_path() { return user_file_write_path(QStringLiteral("velmo.lst")); }

Registry machine_attributes_from_windows() {
    Registry reg;
    if (Form3) {
        for (int i = 0; i < Form3->ListBox2->count(); ++i) reg.machines.push_back(registry_item_name(*Form3->ListBox2->item(i)));
        for (int i = 0; i < kAttributeCount; ++i)
            reg.attribute_names[static_cast<std::size_t>(i)] = widget_text(Form3->attribute_edit(i)->text());
    }
    if (Form1) reg.masks = Form1->attr_mask;
    return reg;
}

Registry registry_from_windows() {
    Registry reg = machine_attributes_from_windows();
    if (Form3)
        for (int i = 0; i < Form3->ListBox1->count(); ++i) reg.halls.push_back(registry_item_name(*Form3->ListBox1->item(i)));
    if (Form1) {
        reg.hsize_level = Form1->hsize_level;
        reg.vsize_level = Form1->vsize_level;
    }
    if (Form1) {
        reg.settings = Form1->player_settings().parts();
        reg.unread = Form1->player_settings().unread();
    }
    return reg;
}

namespace {

void refill_combo(QComboBox* combo, const std::vector<std::string>& names) {
    if (!combo) return;
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const auto& name : names) items.append(from_cp932(name));
    offer_values(*combo, items);  // the box stays empty until the user picks or types a name
}

}  // namespace

void registry_to_windows(const Registry& reg) {
    if (Form3) {
        Form3->ListBox1->clear();
        add_names(*Form3->ListBox1, reg.halls);
        Form3->ListBox2->clear();
        add_names(*Form3->ListBox2, reg.machines);
        // Setting a name runs the box's change handler, which enables its check box.
        for (int i = 0; i < kAttributeCount; ++i)
            Form3->attribute_edit(i)->setText(from_cp932(reg.attribute_names[static_cast<std::size_t>(i)]));
    }
    if (Form2) {
        refill_combo(Form2->ComboBox1, reg.halls);
        refill_combo(Form2->ComboBox2, reg.machines);
    }
    if (Form1) {
        if (reg.masks) {
            Form1->attr_mask = *reg.masks;
        } else {
            Form1->attr_mask.assign(reg.machines.size(), 0);
        }
        Form1->attr_mask_present = true;
        if (reg.hsize_level) Form1->hsize_level = static_cast<std::int8_t>(*reg.hsize_level);
        if (reg.vsize_level) Form1->vsize_level = static_cast<std::int8_t>(*reg.vsize_level);
    }
    if (Form1) Form1->player_settings().load(reg.settings, reg.unread);
}

void read_registry() {
    const QString path = user_file_read_path(QStringLiteral("velmo.lst"));
    // A save of the file that did not finish is settled before a byte of it is read.
    offer_interrupted_save(path);
    const FileRead read = read_input_file(path);
    if (Form1) Form1->player_settings().load({}, {});  // without a readable file nothing is set
    if (read.status == ReadStatus::TooLarge) {
        dialogs().message(too_large_message(path));
        if (Form1) Form1->registry_refused = true;
    }
    if (read.status != ReadStatus::Ok) return;  // no file yet: empty lists, no masks
    const Registry reg = decode_registry(read.bytes);
    registry_to_windows(reg);
    if (reg.damaged) {
        dialogs().message(damaged_file_message(path));
        if (Form1) Form1->registry_damaged = true;
    }
}

bool save_registry_file() {
    const Registry reg = registry_from_windows();
    const QString path = user_file_write_path(QStringLiteral("velmo.lst"), true);
    // A file read in part is written over only when the user says so, once;
    // kept, it is not written again.
    if (Form1 && Form1->registry_damaged && !Form1->registry_refused) {
        Form1->registry_damaged = false;
        if (!dialogs().question(overwrite_damaged_question(path))) Form1->registry_refused = true;
    }
    const bool ok = (Form1 && Form1->registry_refused) || save_with_dialogs(path, encode_registry(reg));
    if (ok && Form1) Form1->player_settings().mark_saved();
    // The entry dialog offers the lists as they are now, whether or not the file was written.
    if (Form2) {
        refill_combo(Form2->ComboBox1, reg.halls);
        refill_combo(Form2->ComboBox2, reg.machines);
    }
    return ok;
}

void write_registry() {
    save_registry_file();
    if (Form1) {
        Form1->setEnabled(true);
        Form1->show();
    }
    if (Form3) Form3->hide();
}

}  // namespace velmo
