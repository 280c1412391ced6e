// Names as Windows compares them: split at a separator one character at a time (a trail byte
// of the ANSI code page is never a separator) and folded to upper case for comparison.
#pragma once

#include <string>
#include <vector>

namespace winsim {

// Length in bytes of the character that starts at `i` in the active ANSI code page.
size_t CharLengthAt(const std::string& text, size_t i);
// The items between separators, empty items included.
std::vector<std::string> SplitNames(const std::string& text, char separator);
// Upper-cased copy in the active code page, the same length as the text.
std::string FoldCase(const std::string& text);
// The text ends with this single-byte character, which is not the trail byte of a double-byte
// character.
bool EndsWithChar(const std::string& text, char c);

} // namespace winsim
