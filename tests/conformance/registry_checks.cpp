// The registry: keys the program creates under HKEY_CURRENT_USER, the size rules of
// RegQueryValueExA and RegQueryValueExW, the opens of RegOpenKeyExA and RegOpenKeyA, closing
// and deleting.
#include "checks.h"
#include "machine.h"

#include <cstring>

namespace {

const char kKey[] = "Software\\QuellinConformance";
const char kSubKey[] = "Software\\QuellinConformance\\Sub";
const HKEY kBogusKey = reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x3FFFFFC0));

void DeleteConformanceKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

void SetValue(HKEY key, const char* name, DWORD type, const char* data, DWORD size) {
    LONG ret = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data), size);
    Check(Fmt("RegSetValueExA[%s]", name ? name : "(null)"),
          Fmt("ret=%ld", static_cast<long>(ret)));
}

void CreateConformanceKeys() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG ret = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, &disposition);
    Check("RegCreateKeyExA.new",
          Fmt("ret=%ld disposition=%lu", static_cast<long>(ret), U(disposition)));
    if (ret != ERROR_SUCCESS)
        return;
    HKEY again = nullptr;
    ret = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                          nullptr, &again, &disposition);
    Check("RegCreateKeyExA.existing",
          Fmt("ret=%ld disposition=%lu", static_cast<long>(ret), U(disposition)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(again);
    HKEY sub = nullptr;
    ret = RegCreateKeyExA(key, "Sub", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &sub, nullptr);
    Check("RegCreateKeyExA.relative", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(sub);

    SetValue(key, "sz", REG_SZ, "abc", 4);
    // Stored without its zero: the byte after the counted ones is not a zero.
    SetValue(key, "sz_bare", REG_SZ, "abcdX", 4);
    // The zero that follows the counted bytes is stored with them, as the NT family does.
    SetValue(key, "sz_uncounted", REG_SZ, "abcd", 4);
    SetValue(key, "expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    SetValue(key, "multi", REG_MULTI_SZ, "a\0bc\0", 6);
    SetValue(key, nullptr, REG_SZ, "def", 4);
    SetValue(key, "dword", REG_DWORD, "\x78\x56\x34\x12", 4);
    SetValue(key, "bin", REG_BINARY, "\x01\x02\x03", 3);
    SetValue(key, "empty", REG_SZ, "", 0);
    RegCloseKey(key);
}

// The size rules of RegQueryValueExA on one value: size query, exact buffer, one byte short,
// a roomy buffer (the byte after the data shows whether a zero was appended).
void QueryValueSizes(HKEY key, const char* name) {
    const std::string n = Fmt("RegQueryValueExA[%s]", name ? name : "(null)");
    DWORD type = 0xEE;
    DWORD size = 0x55;
    LONG ret = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    // What a failed query leaves in the type and size is not defined (Wine clears them).
    if (ret != ERROR_SUCCESS) {
        Check(n + ".nodata", Fmt("ret=%ld", static_cast<long>(ret)));
        return;
    }
    Check(n + ".nodata",
          Fmt("ret=%ld type=%lu size=%lu", static_cast<long>(ret), U(type), U(size)));
    const DWORD needed = size;
    type = 0xEE;
    ret = RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr);
    Check(n + ".nosize", Fmt("ret=%ld type=%lu", static_cast<long>(ret), U(type)));

    BYTE buffer[64];
    std::memset(buffer, 0xCC, sizeof buffer);
    size = needed;
    ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    Check(n + ".exact", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)) +
                            " data=" + Hex(buffer, needed + 1));
    if (needed > 0) {
        size = needed - 1;
        ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
        Check(n + ".short", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
        size = 0;
        ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
        Check(n + ".zero", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
    }
    std::memset(buffer, 0xCC, sizeof buffer);
    size = sizeof buffer;
    ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    Check(n + ".roomy", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)) +
                            " data=" + Hex(buffer, needed + 2));
}

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A size of RegQueryValueExW: in WCHARs for text, in bytes for other data.
std::string WideSize(DWORD type, DWORD size) {
    if (!IsText(type))
        return Fmt("bytes=%lu", U(size));
    return Fmt("wchars=%lu", U(size / sizeof(WCHAR))) +
           (size % sizeof(WCHAR) ? Fmt("+%lu", U(size % sizeof(WCHAR))) : std::string());
}

// The data a call left in the buffer: text as WCHARs, and whether a zero was appended after
// them; other data as bytes.
std::string WideData(DWORD type, const BYTE* buffer, DWORD size) {
    if (!IsText(type))
        return Hex(buffer, size + 1);
    WCHAR text[40];
    std::memcpy(text, buffer, sizeof text);
    const size_t count = size / sizeof(WCHAR);
    const BYTE* after = buffer + count * sizeof(WCHAR);
    bool untouched = true;
    for (size_t i = 0; i < sizeof(WCHAR); ++i)
        untouched = untouched && after[i] == 0xCC;
    return HexW(text, count) + (untouched ? " then untouched" : Fmt(" then %04x", text[count]));
}

// The size rules of RegQueryValueExW on one value, as QueryValueSizes for the ANSI call.
void QueryWideValueSizes(HKEY key, const char* name) {
    const std::string n = Fmt("RegQueryValueExW[%s]", name ? name : "(null)");
    std::wstring wideName = name ? std::wstring(name, name + std::strlen(name)) : std::wstring();
    LPCWSTR wname = name ? wideName.c_str() : nullptr;
    DWORD type = 0xEE;
    DWORD size = 0x55;
    LONG ret = RegQueryValueExW(key, wname, nullptr, &type, nullptr, &size);
    if (ret != ERROR_SUCCESS) {
        Check(n + ".nodata", Fmt("ret=%ld", static_cast<long>(ret)));
        return;
    }
    Check(n + ".nodata",
          Fmt("ret=%ld type=%lu ", static_cast<long>(ret), U(type)) + WideSize(type, size));
    const DWORD needed = size;
    BYTE buffer[160];
    std::memset(buffer, 0xCC, sizeof buffer);
    ret = RegQueryValueExW(key, wname, nullptr, nullptr, buffer, &size);
    Check(n + ".exact", Fmt("ret=%ld ", static_cast<long>(ret)) + WideSize(type, size) +
                            " data=" + WideData(type, buffer, needed));
    if (needed > 0) {
        std::memset(buffer, 0xCC, sizeof buffer);
        size = needed - 1;
        ret = RegQueryValueExW(key, wname, nullptr, nullptr, buffer, &size);
        Check(n + ".short", Fmt("ret=%ld ", static_cast<long>(ret)) + WideSize(type, size) +
                                Fmt(" untouched=%d", buffer[0] == 0xCC));
    }
    std::memset(buffer, 0xCC, sizeof buffer);
    size = sizeof buffer;
    ret = RegQueryValueExW(key, wname, nullptr, nullptr, buffer, &size);
    Check(n + ".roomy", Fmt("ret=%ld ", static_cast<long>(ret)) + WideSize(type, size) +
                            " data=" + WideData(type, buffer, needed));
}

// Values written as wide text: what the ANSI call reads of them ('?' for what the code page
// cannot write), and what the wide call reads of values written in ANSI.
void WideValues() {
    const std::wstring cyrillic = L"C:\\\x0414\x043e";
    const std::wstring korean = L"C:\\\xbb38\xc11c";
    Check("SetWideValue.wsz", Fmt("%d", SetWideValue(kKey, "wsz", L"abc")));
    Check("SetWideValue.wcyrillic", Fmt("%d", SetWideValue(kKey, "wcyrillic", cyrillic)));
    Check("SetWideValue.wkorean", Fmt("%d", SetWideValue(kKey, "wkorean", korean)));
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    SetValue(key, "sz_double_byte", REG_SZ, "\x82\xa0z", 4);
    const char* names[] = {"wsz",    "wcyrillic", "wkorean", "sz",  "sz_bare", "sz_double_byte",
                           "multi",  "expand",    "dword",   "bin", "empty",   nullptr,
                           "missing"};
    for (const char* name : names)
        QueryWideValueSizes(key, name);
    const char* wideNames[] = {"wsz", "wcyrillic", "wkorean"};
    for (const char* name : wideNames)
        QueryValueSizes(key, name);
    BYTE buffer[16];
    DWORD size = sizeof buffer;
    DWORD reserved = 0;
    LONG ret = RegQueryValueExW(key, L"wsz", &reserved, nullptr, buffer, &size);
    Check("RegQueryValueExW.reserved", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegQueryValueExW(key, L"wsz", nullptr, nullptr, buffer, nullptr);
    Check("RegQueryValueExW.data-without-size", Fmt("ret=%ld", static_cast<long>(ret)));
    RegCloseKey(key);
}

void QueryValues() {
    HKEY key = nullptr;
    LONG ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
    if (ret != ERROR_SUCCESS)
        return;
    const char* names[] = {"sz",    "SZ", "sz_bare", "sz_uncounted", "expand", "multi",
                           nullptr, "",   "dword",   "bin",          "empty",  "missing"};
    for (const char* name : names)
        QueryValueSizes(key, name);

    BYTE buffer[16];
    DWORD size = sizeof buffer;
    DWORD reserved = 0;
    ret = RegQueryValueExA(key, "sz", &reserved, nullptr, buffer, &size);
    Check("RegQueryValueExA.reserved", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegQueryValueExA(key, "sz", nullptr, nullptr, buffer, nullptr);
    Check("RegQueryValueExA.data-without-size", Fmt("ret=%ld", static_cast<long>(ret)));
    RegCloseKey(key);

    // A handle without KEY_QUERY_VALUE may not read values.
    ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key);
    Check("RegOpenKeyExA.set-value-only", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS) {
        size = sizeof buffer;
        ret = RegQueryValueExA(key, "sz", nullptr, nullptr, buffer, &size);
        Check("RegQueryValueExA.without-query-right", Fmt("ret=%ld", static_cast<long>(ret)));
        RegCloseKey(key);
    }
}

void OpenKeys() {
    struct Case {
        const char* name;
        HKEY parent;
        const char* subKey;
        REGSAM access;
    } cases[] = {
        {"read", HKEY_CURRENT_USER, kKey, KEY_READ},
        {"read-write", HKEY_CURRENT_USER, kKey, KEY_READ | KEY_WRITE},
        {"0x2001F", HKEY_CURRENT_USER, kKey, 0x2001F},
        {"other-case", HKEY_CURRENT_USER, "SOFTWARE\\quellinconformance", KEY_READ},
        {"subkey", HKEY_CURRENT_USER, kSubKey, KEY_READ},
        {"missing", HKEY_CURRENT_USER, "Software\\QuellinConformance\\Missing", KEY_READ},
        {"missing-parent", HKEY_CURRENT_USER, "Software\\QuellinConformance\\No\\Sub", KEY_READ},
        {"leading-backslash", HKEY_CURRENT_USER, "\\Software\\QuellinConformance", KEY_READ},
        {"trailing-backslash", HKEY_CURRENT_USER, "Software\\QuellinConformance\\", KEY_READ},
        {"double-backslash", HKEY_CURRENT_USER, "Software\\\\QuellinConformance", KEY_READ},
        {"trailing-double-backslash", HKEY_CURRENT_USER, "Software\\QuellinConformance\\\\",
         KEY_READ},
        {"bogus-parent", kBogusKey, "Sub", KEY_READ},
    };
    for (const Case& c : cases) {
        HKEY key = nullptr;
        LONG ret = RegOpenKeyExA(c.parent, c.subKey, 0, c.access, &key);
        Check(std::string("RegOpenKeyExA.") + c.name, Fmt("ret=%ld", static_cast<long>(ret)));
        if (ret == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    // A null result pointer is not checked: Windows writes through it.
    HKEY key = nullptr;
    LONG ret;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const char* sameKey[] = {nullptr, ""};
    for (const char* subKey : sameKey) {
        HKEY again = nullptr;
        ret = RegOpenKeyExA(key, subKey, 0, KEY_READ, &again);
        Check(Fmt("RegOpenKeyExA.same-key[%s]", subKey ? "empty" : "null"),
              Fmt("ret=%ld new-handle=%d", static_cast<long>(ret), again != key));
        DWORD size = 0;
        if (ret == ERROR_SUCCESS) {
            ret = RegQueryValueExA(again, "sz", nullptr, nullptr, nullptr, &size);
            Check(Fmt("RegOpenKeyExA.same-key[%s].query", subKey ? "empty" : "null"),
                  Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
            RegCloseKey(again);
        }
        ret = RegOpenKeyA(key, subKey, &again);
        Check(Fmt("RegOpenKeyA.same-key[%s]", subKey ? "empty" : "null"),
              Fmt("ret=%ld same-handle=%d", static_cast<long>(ret), again == key));
    }
    HKEY sub = nullptr;
    ret = RegOpenKeyExA(key, "sub", 0, KEY_READ, &sub);
    Check("RegOpenKeyExA.relative", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(sub);
    RegCloseKey(key);

    // The 16-bit compatible open gets whatever rights the user has.
    ret = RegOpenKeyA(HKEY_CURRENT_USER, kKey, &key);
    Check("RegOpenKeyA.key", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS) {
        DWORD size = 0;
        ret = RegQueryValueExA(key, "multi", nullptr, nullptr, nullptr, &size);
        Check("RegOpenKeyA.key.query", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
        ret = RegCloseKey(key);
        Check("RegCloseKey.open", Fmt("ret=%ld", static_cast<long>(ret)));
        ret = RegCloseKey(key);
        Check("RegCloseKey.closed", Fmt("ret=%ld", static_cast<long>(ret)));
        ret = RegQueryValueExA(key, "multi", nullptr, nullptr, nullptr, &size);
        Check("RegQueryValueExA.closed-key", Fmt("ret=%ld", static_cast<long>(ret)));
    }
    ret = RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QuellinConformance\\Missing", &key);
    Check("RegOpenKeyA.missing", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(nullptr);
    Check("RegCloseKey.null", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(kBogusKey);
    Check("RegCloseKey.bogus", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(HKEY_CURRENT_USER);
    Check("RegCloseKey.predefined", Fmt("ret=%ld", static_cast<long>(ret)));
}

void RemoveKeys() {
    LONG ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.with-subkey", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    Check("RegDeleteKeyA.subkey", Fmt("ret=%ld", static_cast<long>(ret)));
    // A handle still open on a deleted key.
    HKEY open = nullptr;
    bool opened = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &open) == ERROR_SUCCESS;
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.key", Fmt("ret=%ld", static_cast<long>(ret)));
    if (opened) {
        DWORD size = 0;
        ret = RegQueryValueExA(open, "sz", nullptr, nullptr, nullptr, &size);
        Check("RegQueryValueExA.deleted-key", Fmt("ret=%ld", static_cast<long>(ret)));
        ret = RegCloseKey(open);
        Check("RegCloseKey.deleted-key", Fmt("ret=%ld", static_cast<long>(ret)));
    }
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.deleted", Fmt("ret=%ld", static_cast<long>(ret)));
    HKEY key = nullptr;
    ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
    Check("RegOpenKeyExA.deleted", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(key);
}

} // namespace

void RegistryChecks() {
    DeleteConformanceKeys();
    CreateConformanceKeys();
    QueryValues();
    WideValues();
    OpenKeys();
    RemoveKeys();
}
