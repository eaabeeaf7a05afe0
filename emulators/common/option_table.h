// A command line read against one table of options. Each entry holds an
// option's name, its argument as the usage shows it, what it does and the
// setter that applies it. The parser takes as many words after the option as
// its argument has ("MODEL SIZE FILE" three, "N:MS" one, none for a flag), and
// the usage list is made from the same entries, so no option can be parsed
// without being listed or listed without being parsed. Options are whole
// words, in any order, each applied as it comes: no abbreviations, no
// --name=value.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace emulator_common {

// One option as written on the line: the option itself, then its values.
using OptionWords = std::vector<std::string>;

// Thrown by a setter that refuses its values; what() is the complaint.
struct OptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename Target>
struct Option {
    const char* name;      // "--baud"
    const char* argument;  // "RATE", "MODEL SIZE FILE", or "" for a flag
    const char* help;      // one line for the usage list
    void (*apply)(Target& target, const OptionWords& words);
};

inline std::size_t argumentWordCount(const std::string& argument) {
    std::istringstream words(argument);
    return std::distance(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
}

// Applies `args` to `target` from left to right. Returns why the line is
// refused, or nothing; a word that names no option is refused with
// `unknownLead` before it.
template <typename Target, std::size_t N>
std::optional<std::string> applyOptions(const Option<Target> (&table)[N], const std::vector<std::string>& args,
    Target& target, const std::string& unknownLead) {
    std::size_t next = 0;
    while (next < args.size()) {
        const std::string& word = args[next];
        const auto option = std::find_if(
            std::begin(table), std::end(table), [&](const Option<Target>& entry) { return word == entry.name; });
        if (option == std::end(table)) return unknownLead + word;
        const std::size_t values = argumentWordCount(option->argument);
        if (args.size() - next - 1 < values) return word + " needs " + (values == 1 ? "a value" : option->argument);
        const OptionWords words(args.begin() + next, args.begin() + next + 1 + values);
        try {
            option->apply(target, words);
        } catch (const OptionError& refused) {
            return std::string(refused.what());
        }
        next += 1 + values;
    }
    return std::nullopt;
}

// The usage list: one line per option, its help aligned in a column.
template <typename Target, std::size_t N>
std::string optionList(const Option<Target> (&table)[N]) {
    auto head = [](const Option<Target>& option) {
        return *option.argument == '\0' ? std::string(option.name) : std::string(option.name) + " " + option.argument;
    };
    std::size_t width = 0;
    for (const auto& option : table) width = std::max(width, head(option).size());
    std::string list;
    for (const auto& option : table) {
        const std::string written = head(option);
        list += "  " + written + std::string(width + 2 - written.size(), ' ') + option.help + "\n";
    }
    return list;
}

}  // namespace emulator_common
