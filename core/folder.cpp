#include "core/folder.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/text.h"

namespace tessary {

namespace {

constexpr std::size_t kFolderNameChars = 8;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// The argument as a message may quote it: control characters and malformed bytes would
// garble the terminal, so each shows as "?".
std::string Printable(std::string_view argument) {
    std::string shown;
    while (!argument.empty()) {
        const auto byte = static_cast<unsigned char>(argument.front());
        const std::size_t length = Utf8CharLength(argument);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            shown += '?';
            argument.remove_prefix(1);
        } else {
            shown += argument.substr(0, length);
            argument.remove_prefix(length);
        }
    }
    return shown;
}

FolderChoice Refuse(std::string_view argument, std::string_view why) {
    FolderChoice refused;
    refused.error =
        "\"" + Printable(argument) + "\" cannot name the data folder: " + std::string(why);
    return refused;
}

}  // namespace

FolderChoice ChooseFolderName(const std::vector<std::string>& args) {
    FolderChoice choice;
    if (args.empty()) return choice;
    const std::string& argument = args[0];
    if (EqualsIgnoringCase(argument, "patch")) {
        choice.patch = true;
        return choice;
    }

    if (argument.empty()) return Refuse(argument, "it is empty");
    if (argument == "." || argument == "..")
        return Refuse(argument, "it is the program folder or the one above it");
    if (argument.front() == '-') return Refuse(argument, "it starts with \"-\" like an option");
    // The whole argument is checked, not only the part kept, so that a mistyped path never
    // quietly becomes a folder named by its first characters.
    std::size_t kept = 0;  // bytes of the first 8 characters
    std::size_t chars = 0;
    for (std::size_t at = 0; at < argument.size();) {
        const auto byte = static_cast<unsigned char>(argument[at]);
        if (byte == '/' || byte == '\\') return Refuse(argument, "it holds \"/\" or \"\\\"");
        if (byte < 0x20 || byte == 0x7F) return Refuse(argument, "it holds a control character");
        const std::size_t length = Utf8CharLength(std::string_view(argument).substr(at));
        if (length == 0) return Refuse(argument, "it is not valid UTF-8 text");
        at += length;
        if (++chars <= kFolderNameChars) kept = at;
    }
    choice.folder = argument.substr(0, kept);
    return choice;
}

std::string ChooseFolder(RunState& state, const std::vector<std::string>& args) {
    FolderChoice choice = ChooseFolderName(args);
    if (choice.ok()) {
        state.FolderName = std::move(choice.folder);
        state.PatchMode = choice.patch;
    }
    return choice.error;
}

}  // namespace tessary
