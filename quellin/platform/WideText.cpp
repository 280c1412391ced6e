// Text between the ANSI code page and wide text.
#include "platform/WideText.h"

#include <windows.h>

namespace {

// The bytes of the wide text in the ANSI code page through WideCharToMultiByte with `flags`;
// `usedDefault` (null in code page 65001, which takes none) tells whether a character had no
// code. False when the call failed.
bool Convert(const std::wstring& text, DWORD flags, BOOL* usedDefault, std::string& ansi) {
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, usedDefault);
    if (bytes <= 0)
        return false;
    std::string converted(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, &converted[0], bytes, nullptr,
                            usedDefault) != bytes)
        return false;
    ansi = converted;
    return true;
}

} // namespace

AnsiForm AnsiFromWide(const std::wstring& text, std::string& ansi) {
    if (text.empty()) {
        ansi.clear();
        return AnsiForm::Exact;
    }
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    std::string converted;
    if (!Convert(text, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, utf8 ? nullptr : &usedDefault, converted))
        return AnsiForm::Failed;
    if (usedDefault)
        return AnsiForm::Inexact;
    const std::wstring back = WideFromAnsi(converted);
    if (back.empty())
        return AnsiForm::Failed;
    if (back != text)
        return AnsiForm::Inexact;
    ansi = converted;
    return AnsiForm::Exact;
}

std::string AnsiBestFit(const std::wstring& text) {
    std::string ansi;
    if (!text.empty() && !Convert(text, 0, nullptr, ansi))
        ansi.clear();
    return ansi;
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
