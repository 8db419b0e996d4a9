#pragma once
// The options the program answers before it opens a window: --help, --version,
// and an option it does not know. A first argument that is no option (a ledger
// file) starts the program as always; the command-line modes (--export-csv)
// are dispatched before this is asked.
#include <optional>
#include <string>

namespace velmo {

// The usage text (Japanese, UTF-8) and the version line.
std::string usage_text();
std::string version_text();

// For the arguments after the program's name: the exit status when the first
// one is --help (usage to standard output, 0), --version (0) or another word
// beginning with "--" (a one-line hint to standard error, 2); nullopt when the
// program is to start.
std::optional<int> run_option(int argc, const char* const* args);

}  // namespace velmo
