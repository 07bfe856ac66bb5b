// How messages show a name the user gave or the system holds.
#pragma once

#include <string>

namespace daynote {

// `name` quoted as coreutils quotes names (its shell-escape style), so that
// it can be pasted into a shell as it is and nothing in it can split a
// message or send a terminal a command: 'name'; "name" when it holds a '
// and nothing special to a shell in double quotes; else 'it'\''s!'. What would
// not show as itself (controls, characters that hide or reorder text, bytes
// that are not UTF-8) goes in $'...' as \n or \ooo: 'a'$'\n''b'.
std::string Quoted(const std::string& name);

// `text` as one line that nothing in it can disguise or a terminal take for
// a command: a hidden character or a byte that is not well-formed UTF-8 is
// shown as \xNN. The net for any text of a message that is no name (names
// come Quoted, which shows them all).
std::string OneLine(const std::string& text);

// The length of the well-formed UTF-8 sequence that starts at `c`, and its
// code point; 0 if none starts there (overlong forms and surrogates are not
// well-formed). `c` ends in a NUL.
int Utf8Sequence(const unsigned char* c, char32_t* point);

// Characters a terminal acts on or that change how a line reads: controls,
// C1 ones too, line separators, and the invisible ones that reorder text.
bool IsHidden(char32_t c);

}  // namespace daynote
