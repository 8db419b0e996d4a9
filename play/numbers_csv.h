#pragma once
// Machine numbers from a CSV file, as players copy them from tables of
// machines: one line per pachinko machine and one per slot machine and
// setting, columns found by their names (in any order; others left out):
//   機種, 種別 (パチンコ or スロット), 大当たり確率 ("319.7" or "1/319.7"),
//   平均出玉, 荒さ (2.0 when empty), 設定 (1..6), 機械割 ("105.5" or "105.5%"),
//   BB確率, RB確率, BB枚数, RB枚数.
// Read as the ledger's CSV import reads (UTF-8 with or without a byte-order
// mark, or CP932; half- or full-width digits; thousands separators); every line
// is checked before anything is taken. The command-line modes beside it:
//   velmorant --import-specs FILE.csv   the numbers into the user's registry
//   velmorant --specs                   the numbers the registry holds
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/ledger_csv.h"
#include "play/machine_numbers.h"

namespace velmo::play {

// The columns in the order the import names them and --specs prints them (UTF-8).
const std::vector<const char*>& numbers_columns();

struct NumbersImport {
    std::vector<MachineNumbers> machines;  // in the order of their first line in the file
    std::vector<CsvProblem> problems;   // the first ones, in line order; nothing is imported when any
    std::size_t problem_count = 0;
};
NumbersImport read_numbers_csv(std::string_view bytes);

// Takes an import into the numbers and the registry's machine list: a machine
// of the file gets the numbers the file gives it (its old ones go); machines
// the list lacks are added at its end. Returns the names added.
std::vector<std::string> apply_numbers_import(const NumbersImport& import, MachineNumberTable& all_numbers,
                                           std::vector<std::string>& machines);

// The lines --specs prints (UTF-8, tab-separated, the header line first): the
// machines in the registry's order, then those it does not list.
std::string numbers_text(const MachineNumberTable& all_numbers, const std::vector<std::string>& machines);

// The two modes; args: the arguments after the option. Exit status 0; 1 after
// messages on standard error; 2 for a mistake in the command line.
// The registry's record codecs must be registered first.
int import_numbers_command(int argc, const char* const* args);
int print_numbers_command(int argc, const char* const* args);

// The machine numbers of the user's registry as the program reads it (a damaged
// file gives what it holds before the damage; a missing or unreadable one none),
// for the command-line exports. Registers the numbers' record codec.
MachineNumberTable user_machine_numbers();

}  // namespace velmo::play
