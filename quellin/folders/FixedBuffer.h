// Text that Windows wrote into one of the table's 260-byte path buffers.
#pragma once

#include <windows.h>

#include <string>

// The buffer's text when the call reported a length that fits (1 to MAX_PATH - 1 bytes, the
// text ending at that length); an empty string when the call failed, or when the path needs
// more than the buffer holds and so was not, or only partly, written.
inline std::string FixedBufferText(const char (&buffer)[MAX_PATH], DWORD returned) {
    if (returned == 0 || returned >= MAX_PATH || buffer[returned] != '\0')
        return std::string();
    return std::string(buffer, returned);
}

// The text a call left in a 260-byte buffer without reporting its length (SHGetFolderPathA,
// SHGetPathFromIDListA): up to its first zero byte. A buffer without any zero byte was not
// written as a string and gives an empty text.
inline std::string BufferText(const char (&buffer)[MAX_PATH]) {
    for (size_t i = 0; i < MAX_PATH; ++i) {
        if (buffer[i] == '\0')
            return std::string(buffer, i);
    }
    return std::string();
}
