#include "entry/registry_dialog.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace velmo {

std::vector<std::uint16_t> fitted_masks(std::vector<std::uint16_t> masks, std::size_t count) {
    masks.resize(count, 0);
    return masks;
}

void insert_mask_at_top(std::vector<std::uint16_t>& masks, std::size_t count) {
    masks = fitted_masks(std::move(masks), count);
    masks.insert(masks.begin(), std::uint16_t{0});
}

void remove_mask(std::vector<std::uint16_t>& masks, std::size_t index, std::size_t count) {
    masks = fitted_masks(std::move(masks), count);
    if (index < masks.size()) masks.erase(masks.begin() + static_cast<std::ptrdiff_t>(index));
}

bool registry_name_less(const QString& a, const QString& b) {
    // Japanese collation: full-width and half-width letters sort together, as do
    // hiragana and katakana, kana before kanji; letter case is ignored.
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int collated = collator.compare(a, b);
    if (collated != 0) return collated < 0;
    // Names the collation finds equal still get one fixed order.
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

std::vector<QString> sorted_names(std::vector<QString> names) {
    std::stable_sort(names.begin(), names.end(), registry_name_less);
    return names;
}

QString machine_sort_key(const MachineWithMask& machine) {
    const QString digits = QString::number(machine.mask);
    return machine.name + digits + QChar(static_cast<char16_t>(digits.size()));
}

std::vector<MachineWithMask> sorted_machines(std::vector<MachineWithMask> machines) {
    std::vector<std::pair<QString, MachineWithMask>> keyed;
    keyed.reserve(machines.size());
    for (auto& m : machines) keyed.emplace_back(machine_sort_key(m), std::move(m));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return registry_name_less(x.first, y.first); });
    std::vector<MachineWithMask> out;
    out.reserve(keyed.size());
    for (auto& k : keyed) out.push_back(std::move(k.second));
    return out;
}

NameKeyAction name_key_action(std::size_t byte_length, std::size_t remembered_length, bool enter, bool committed) {
    if (byte_length == 0) return NameKeyAction::kNothing;
    if (byte_length != remembered_length || committed) return NameKeyAction::kRemember;
    return enter ? NameKeyAction::kAdd : NameKeyAction::kNothing;
}

}  // namespace velmo
