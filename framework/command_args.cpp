#include "framework/command_args.h"

#include <algorithm>
#include <cstdio>

namespace velmo {

std::optional<std::string> split_command_args(int argc, const char* const* args,
                                              std::span<const std::string_view> with_value, CommandArgs& out) {
    bool options_end = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = args[i];
        if (options_end || arg.size() < 2 || arg.front() != '-') {
            out.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
            continue;
        }
        if (std::find(with_value.begin(), with_value.end(), arg) == with_value.end())
            return std::string(arg) + " は使えないオプションです";
        if (i + 1 >= argc) return std::string(arg) + " の後に値がありません";
        out.options.emplace_back(std::string(arg), std::string(args[++i]));
    }
    return std::nullopt;
}

int command_line_mistake(const std::string& mistake, std::string_view usage) {
    std::fprintf(stderr, "velmorant: %s（%.*s）\n", mistake.c_str(), static_cast<int>(usage.size()), usage.data());
    return kCommandLineMistake;
}

}  // namespace velmo
