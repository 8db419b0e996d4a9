#pragma once
// The name registry "velmo.lst" (framework/user_files.h says where): registered halls and
// machines, the sixteen attribute names, one attribute mask per machine and the
// window's two enlargement steps.
//
// The file is a run of records: a type byte, a length byte L and L data bytes
// (CP932 text for names), ended by 0xFF. An attribute name is followed by its
// index byte; the mask record (L = 2, the count) by count big-endian words.
// The player's settings follow the window's own records, each set one a record
// of the type its module registered (ledger/settings_parts.h), then the records
// of types this version does not read, as the file held them, and the end byte.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

class QListWidgetItem;

#include "ledger/settings_parts.h"

namespace velmo {

inline constexpr int kAttributeCount = 16;
inline constexpr std::size_t kRegistryRecordMax = 54;  // data bytes kept of one record
inline constexpr int kMaxHsizeLevel = 21;
inline constexpr int kMaxVsizeLevel = 15;

namespace registry_type {
inline constexpr std::uint8_t kHall = 0x00;
inline constexpr std::uint8_t kMachine = 0x01;
inline constexpr std::uint8_t kAttributeName = 0x10;
inline constexpr std::uint8_t kMasks = 0x20;
inline constexpr std::uint8_t kHsize = 0x14;
inline constexpr std::uint8_t kVsize = 0x16;
inline constexpr std::uint8_t kEnd = 0xFF;
}  // namespace registry_type

struct Registry {
    std::vector<std::string> halls;     // CP932 names, in list order
    std::vector<std::string> machines;
    std::array<std::string, kAttributeCount> attribute_names;  // empty: not named
    // One mask per machine (bit b: attribute b + 1); absent when the file had none.
    std::optional<std::vector<std::uint16_t>> masks;
    std::optional<int> hsize_level;  // absent when the file did not hold it
    std::optional<int> vsize_level;
    // The parts of the registered record types, as their codecs read the
    // records of each type in file order.
    SettingsParts settings;
    // Records of types no codec here reads (or data their codec does not read),
    // whole and in file order: written back after the others, so that a
    // version that does not know them keeps what a later one wrote.
    std::vector<RegistryRecord> unread;
    // Read only, never written: the bytes were cut or garbled (no end byte,
    // bytes after it, a record cut short, a type no save writes, an attribute
    // index out of range, masks that do not match the machines). What came
    // before the damage is read as usual.
    bool damaged = false;
};

// Reads registry bytes, telling damage in Registry::damaged. Damaged input
// never reads out of bounds: a truncated record ends the reading, a name keeps its first 54 bytes, an attribute index
// outside 0..15 is ignored, steps are limited to their ranges, and the masks
// are fitted to the machine list (missing ones 0, extra ones dropped).
Registry decode_registry(std::string_view bytes);

// Writes the records in their fixed order: halls, machines, named attributes,
// the masks (one per machine; a missing mask is written as 0), the two steps
// (0 when absent), the records of the registered codecs in type order (each
// only when its part is set), the unread records, and the end byte.
std::string encode_registry(const Registry& registry);

// Where the registry is written: beside the program or in the data folder (framework/user_files.h).
QString registry_path();

// Fills the registry dialog's lists and attribute names, the entry dialog's
// combo boxes, and the main window's attr_mask and enlargement steps from the
// file. A missing file leaves the lists empty.
void read_registry();

// Writes the file from the windows' lists and refills the entry dialog's combo
// boxes. Reports a failed write with a message; returns false then.
bool save_registry_file();

// save_registry_file, then ends the registry dialog's editing: the main window
// is enabled and shown and the registry dialog hidden.
void write_registry();

// The role of a registry list item that holds its name's bytes as the file gave
// them (Qt::UserRole + 1). A name the file held in bytes that are no valid CP932
// is shown with replacement characters but written back with its own bytes for
// as long as the item shows it unchanged.
inline constexpr int kNameBytesRole = 0x0100 + 1;
// A registry list item's name as CP932: the bytes the file gave it while the
// item still shows them, else its text.
std::string registry_item_name(const QListWidgetItem& item);

// The registry as the windows hold it now / put into the windows.
Registry registry_from_windows();
// Of the registry as the windows hold it, only what the attribute table reads: the
// machines, the attribute names and the masks (the halls and settings left empty).
Registry machine_attributes_from_windows();
void registry_to_windows(const Registry& registry);

}  // namespace velmo
