#pragma once

// What a model's JSON text must not hold although its parser lets it pass:
// bytes that are no text, a key given twice in one object (the parser keeps
// the last value silently: "E": 210 after "E": 2.1e8 would make the frame a
// million times softer), and numbers too small for a double (read as 0 or
// as a subnormal number without a word). Each is an error at its line and
// column.

#include <string>

namespace zervola::frame {

// Before parsing: any control character but tab, line feed and carriage
// return, anywhere (JSON allows none; a NUL would otherwise end the text
// for some readers). file: in, the name used in messages.
// Throws InputError "file:line:column: ...".
void check_json_characters(const std::string& text, const std::string& file);

// After a successful parse of text (comments allowed): every object's keys
// are distinct (keys compared as decoded, so "E" and "\u0045" are one), and
// no number underflows (a non-zero number that a double holds only as 0 or
// as a subnormal number). file: in, the name used in messages.
// Throws InputError "file:line:column: ...", naming the key (and where it
// was first given) or the number.
void check_json_keys_and_numbers(const std::string& text, const std::string& file);

}  // namespace zervola::frame
