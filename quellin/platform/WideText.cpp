// Text between the ANSI code page and wide text.
#include "platform/WideText.h"

#include <windows.h>

bool AnsiFromWide(const std::wstring& text, std::string& ansi) {
    if (text.empty()) {
        ansi.clear();
        return true;
    }
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                          nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    std::string converted(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, &converted[0], bytes,
                            nullptr, &usedDefault) != bytes ||
        usedDefault)
        return false;
    ansi = converted;
    return true;
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int characters = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (characters <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(characters), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], characters) != characters)
        return std::wstring();
    return wide;
}
