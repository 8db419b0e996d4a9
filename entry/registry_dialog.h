#pragma once
// The list arithmetic of the registry dialog: the machine masks kept in step
// with the machine list, the order of a sort, and when a key released in a name
// box adds the name.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace velmo {

// The masks fitted to a machine list of count entries: missing masks are 0,
// masks beyond the list are dropped.
std::vector<std::uint16_t> fitted_masks(std::vector<std::uint16_t> masks, std::size_t count);

// A machine added at the top of a list of count machines: every mask moves one
// place down and the new machine has no attributes.
void insert_mask_at_top(std::vector<std::uint16_t>& masks, std::size_t count);

// The machine at index removed from a list of count machines: the masks after it
// move one place up.
void remove_mask(std::vector<std::uint16_t>& masks, std::size_t index, std::size_t count);

// Moves the element at from to to; the elements between shift by one place
// toward from. Nothing happens when either index is outside the vector.
template <typename T>
void move_element(std::vector<T>& items, std::size_t from, std::size_t to) {
    if (from >= items.size() || to >= items.size() || from == to) return;
    T moving = std::move(items[from]);
    if (from < to) {
        for (std::size_t i = from; i < to; ++i) items[i] = std::move(items[i + 1]);
    } else {
        for (std::size_t i = from; i > to; --i) items[i] = std::move(items[i - 1]);
    }
    items[to] = std::move(moving);
}

// Ascending order of the lists: Japanese collation ignoring case, then the
// character codes for names the collation finds equal.
bool registry_name_less(const QString& a, const QString& b);

// The halls in sorted order (equal names keep their order).
std::vector<QString> sorted_names(std::vector<QString> names);

// A machine with its mask. Machines sort by their name followed by the decimal
// mask and one character holding the number of its digits, so machines of
// equal names are ordered by their mask digits and each keeps its mask.
struct MachineWithMask {
    QString name;
    std::uint16_t mask = 0;
};
QString machine_sort_key(const MachineWithMask& machine);
std::vector<MachineWithMask> sorted_machines(std::vector<MachineWithMask> machines);

// What a key released in a name box does. An empty box does nothing; a text
// whose byte length changed since the previous release, or that an input method
// committed since then (committed), is remembered; an Enter with the text
// unchanged adds the name. So the Enter that commits an input method's
// conversion does not add it, even when the new name is as long as the one it
// replaced; a second one does.
enum class NameKeyAction { kNothing, kRemember, kAdd };
NameKeyAction name_key_action(std::size_t byte_length, std::size_t remembered_length, bool enter,
                              bool committed = false);

}  // namespace velmo
