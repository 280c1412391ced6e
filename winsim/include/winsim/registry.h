// The registry of the simulated machine: keys under the predefined roots, values with their
// types and exact bytes, and keys that this user may read but not write (or not even read).
// Key paths and value names compare without regard to case.
#pragma once

#include <windef.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

struct RegistryValue {
    DWORD type = 1; // REG_SZ
    std::string data; // the exact bytes, terminating zeros included where the writer put them
};

class Registry {
  public:
    // Set-up. Missing keys on the way are created. `root` is one of the predefined HKEYs.
    void CreateKey(HKEY root, const std::string& keyPath);
    // A string value (REG_SZ or REG_EXPAND_SZ) stored with its terminating zero.
    void SetString(HKEY root, const std::string& keyPath, const std::string& name,
                   const std::string& value, DWORD type = 1);
    // A REG_MULTI_SZ value: each item with its zero, then the final zero.
    void SetMultiString(HKEY root, const std::string& keyPath, const std::string& name,
                        const std::vector<std::string>& items);
    // A value of any type with exactly these bytes (a string without its zero, for example).
    void SetRaw(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                const std::string& bytes);
    void DeleteValue(HKEY root, const std::string& keyPath, const std::string& name);
    // The user may open the key for reading only: an open that asks for any write right
    // (KEY_SET_VALUE, KEY_CREATE_SUB_KEY, ...) fails with ERROR_ACCESS_DENIED.
    void DenyWrite(HKEY root, const std::string& keyPath);
    // The user may not open the key at all.
    void DenyAccess(HKEY root, const std::string& keyPath);

    bool KeyExists(HKEY root, const std::string& keyPath) const;

    // What the code did: every open, as "HKLM\Key\Path" (root abbreviated HKCR, HKCU, HKLM,
    // HKU), in order, successful or not; and the keys still open.
    std::vector<std::string> opens;
    int OpenKeyCount() const;

    std::vector<std::string> OpenResources() const;
    void Reset();

    // (The stored tree and the open handles are private to the implementation.)
};

} // namespace winsim
