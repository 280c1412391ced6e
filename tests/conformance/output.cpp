// Output of the conformance checks.
#include "checks.h"

#include <cstdarg>
#include <cstdio>

namespace {

const DWORD kUnsetError = 0xC0DE;

} // namespace

std::string Fmt(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Check(const std::string& name, const std::string& result) {
    std::printf("%s: %s\n", name.c_str(), result.c_str());
}

unsigned long U(DWORD value) {
    return static_cast<unsigned long>(value);
}

// Before each call whose last error is printed.
void Arm() {
    SetLastError(kUnsetError);
}

std::string Err() {
    DWORD error = GetLastError();
    return error == kUnsetError ? std::string("err=unset") : Fmt("err=%lu", U(error));
}

std::string Hex(const void* data, size_t size) {
    std::string out;
    const BYTE* p = static_cast<const BYTE*>(data);
    for (size_t i = 0; i < size; ++i)
        out += Fmt(i ? " %02x" : "%02x", p[i]);
    return out.empty() ? std::string("-") : out;
}

std::string HexW(const WCHAR* text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += Fmt(i ? " %04x" : "%04x", static_cast<unsigned>(text[i]));
    return out.empty() ? std::string("-") : out;
}

std::string Sign(int value) {
    return value < 0 ? "<0" : value > 0 ? ">0" : "0";
}

std::string BoolErr(BOOL ret) {
    return ret ? std::string("ret=1") : "ret=0 " + Err();
}

HANDLE BogusHandle() {
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x3FFFFFC0));
}
