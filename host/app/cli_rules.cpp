#include "cli_rules.h"

#include "file_io.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace quiltra {

bool WholeNumber(const std::string& text, long long most, long long& value)
{
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    size_t first = text.find_first_not_of('0');
    if (first == std::string::npos) first = text.size();
    if (text.size() - first > 18) return false; // beyond any limit an option has
    value = 0;
    for (size_t i = first; i < text.size(); ++i)
        value = value * 10 + (text[i] - '0');
    return value <= most;
}

long long WholeNumberOption(const std::string& option, const std::string& text, long long least,
                            long long most)
{
    long long value = 0;
    if (!WholeNumber(text, most, value) || value < least)
        throw InputError(option + ": expected a whole number from " + std::to_string(least) +
                         " to " + std::to_string(most) + ", found \"" + text + "\"");
    return value;
}

std::string OneLine(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const unsigned char c = (unsigned char)ch;
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        } else {
            out += ch;
        }
    }
    return out;
}

static void RefuseEmptyValuesOf(const CLI::App& command, const std::string& path)
{
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_type_size_max() == 0 || option->count() == 0) continue; // flags
        const std::string name = option->get_name(false, false);
        if (name == "--open") continue;
        for (const std::string& value : option->results())
            if (value.empty())
                throw InputError(path + (path.empty() ? "" : " ") + name + ": empty (" +
                                 option->get_description() + ")");
    }
    for (const CLI::App* sub : command.get_subcommands())
        RefuseEmptyValuesOf(*sub, sub->get_name());
}

void RefuseEmptyValues(const CLI::App& app) { RefuseEmptyValuesOf(app, ""); }

} // namespace quiltra
