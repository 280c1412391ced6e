// Text that Windows wrote into one of the table's 260-character path buffers, of bytes or of
// wide characters.
#pragma once

#include <windows.h>

#include <string>

// The buffer's text when the call reported a length that fits (1 to MAX_PATH - 1 characters,
// the text ending at that length); an empty string when the call failed, or when the path needs
// more than the buffer holds and so was not, or only partly, written.
template <typename Char>
std::basic_string<Char> FixedBufferText(const Char (&buffer)[MAX_PATH], DWORD returned) {
    if (returned == 0 || returned >= MAX_PATH || buffer[returned] != Char(0))
        return std::basic_string<Char>();
    return std::basic_string<Char>(buffer, returned);
}

// The text a call left in a 260-character buffer without reporting its length
// (SHGetFolderPathA, SHGetPathFromIDListA and their twins): up to its first zero. A buffer
// without any zero was not written as a string and gives an empty text.
template <typename Char> std::basic_string<Char> BufferText(const Char (&buffer)[MAX_PATH]) {
    for (size_t i = 0; i < MAX_PATH; ++i) {
        if (buffer[i] == Char(0))
            return std::basic_string<Char>(buffer, i);
    }
    return std::basic_string<Char>();
}
