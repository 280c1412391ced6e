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
