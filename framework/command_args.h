#pragma once
// The arguments of a command-line mode: file names and options, told apart the
// same way by every mode. An argument beginning with '-' (but "-" alone) is an
// option until "--", which ends the options; after it every argument is a file
// name. A mistake in the command line exits with 2 after one line on standard
// error that names it and the mode's usage; a problem with a file exits with 1.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmo {

inline constexpr int kCommandLineMistake = 2;

struct CommandArgs {
    std::vector<std::string> files;                            // in order
    std::vector<std::pair<std::string, std::string>> options;  // name and value, in order
};

// Splits args: every option must be one of `with_value`, and takes the next
// argument as its value. The mistake's text (for command_line_mistake) when an
// option is unknown or lacks its value.
std::optional<std::string> split_command_args(int argc, const char* const* args,
                                              std::span<const std::string_view> with_value, CommandArgs& out);

// One line on standard error, "velmorant: <mistake>（<usage>）", and the status 2.
int command_line_mistake(const std::string& mistake, std::string_view usage);

}  // namespace velmo
