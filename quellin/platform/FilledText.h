// Text that a call of Windows writes into the caller's buffer, when the call tells the size it
// needs for a buffer that is too small.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// `fill(buffer, size)` makes the call into a buffer of `size` characters and returns what the
// call returned: 0 for a failure, at most `size` when the text fitted, else the size it needs.
// The call is made through MAX_PATH characters, then once more through twice the size it asked
// for (a double-byte code page needs up to two bytes a character, and some calls count
// characters). The text is taken up to a zero inside the buffer, never beyond; false when the
// call failed or the text did not fit even the second buffer.
template <typename Char, typename Fill> bool FilledText(Fill fill, std::basic_string<Char>& text) {
    const Char unwritten = Char('#');
    std::vector<Char> buffer(MAX_PATH, unwritten);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD returned = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (returned == 0)
            return false;
        const auto zero = std::find(buffer.begin(), buffer.end(), Char(0));
        if (returned <= buffer.size() && zero != buffer.end()) {
            text.assign(buffer.begin(), zero);
            return true;
        }
        buffer.assign(2 * static_cast<size_t>(returned), unwritten);
    }
    return false;
}
