// Rules that every command line option of quiltra follows: whole numbers written one way,
// no empty values, and messages that stay on one line whatever the input held.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

// A whole number as options take it: plain decimal digits and nothing else (no sign, no
// space, no "0x"); leading zeros are read as decimal ("08" is 8). False when the text is
// anything else or the number is above `most`.
bool WholeNumber(const std::string& text, long long most, long long& value);

// The whole number an option was given, from `least` to `most`. Throws InputError
// ("--stages: expected a whole number from 0 to 64, found \"0x4\"") otherwise.
long long WholeNumberOption(const std::string& option, const std::string& text, long long least,
                            long long most);

// The text with its control characters written out (newline as \n, tab as \t, others as
// \xNN), so that a message made of what a user typed stays one line.
std::string OneLine(const std::string& text);

// Refuses an empty value given to any option or argument of the command that was parsed
// (an empty file name names no file); --open alone may be empty (no rollout to open). Throws
// InputError naming the command, the option and what it takes.
void RefuseEmptyValues(const CLI::App& app);

} // namespace quiltra
