// The registry of the simulated machine: keys under the predefined roots, values with their
// types and exact bytes, and keys that this user may read but not write (or not even read).
// Key paths and value names compare without regard to case; a key path is given below its
// root without a leading backslash ("Software\Vendor"), the empty path being the root itself.
#pragma once

#include <windef.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

struct RegistryValue {
    DWORD type = 1;   // REG_SZ
    std::string data; // the exact bytes, terminating zeros included where the writer put them
    // A string value set as wide text (SetString with std::wstring): the text with its zero,
    // as RegQueryValueExW gives it; `data` then holds its ANSI conversion, as
    // RegQueryValueExA gives it. A value stored in ANSI reads through RegQueryValueExW as
    // `data` converted from the code page.
    bool wideStored = false;
    std::wstring wide;
};

class Registry {
  public:
    Registry() { Reset(); }

    // Set-up. Missing keys on the way are created. `root` is one of the predefined HKEYs.
    void CreateKey(HKEY root, const std::string& keyPath);
    // A string value (REG_SZ or REG_EXPAND_SZ) stored with its terminating zero. An empty
    // name is the key's default value.
    void SetString(HKEY root, const std::string& keyPath, const std::string& name,
                   const std::string& value, DWORD type = 1);
    // The same as wide text: what the ANSI code page cannot write reads as '?' through
    // RegQueryValueExA.
    void SetString(HKEY root, const std::string& keyPath, const std::string& name,
                   const std::wstring& value, DWORD type = 1);
    // A REG_MULTI_SZ value: each item with its zero, then the final zero.
    void SetMultiString(HKEY root, const std::string& keyPath, const std::string& name,
                        const std::vector<std::string>& items);
    // A REG_DWORD value, four bytes, little-endian.
    void SetDword(HKEY root, const std::string& keyPath, const std::string& name, DWORD value);
    // A value of any type with exactly these bytes (a string without its zero, for example).
    void SetRaw(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                const std::string& bytes);
    void DeleteValue(HKEY root, const std::string& keyPath, const std::string& name);
    // The user may open the key for reading only: an open that asks for any write right
    // (KEY_SET_VALUE, KEY_CREATE_SUB_KEY, ...) fails with ERROR_ACCESS_DENIED; an open that
    // asks for MAXIMUM_ALLOWED (RegOpenKeyA) gets read access. Applies to that key alone.
    void DenyWrite(HKEY root, const std::string& keyPath);
    // The user may not open the key at all (ERROR_ACCESS_DENIED whatever is asked).
    void DenyAccess(HKEY root, const std::string& keyPath);

    bool KeyExists(HKEY root, const std::string& keyPath) const;
    // The stored value, or nullptr.
    const RegistryValue* Value(HKEY root, const std::string& keyPath,
                               const std::string& name) const;

    // What the code did: every open, as "HKLM\Key\Path" (root abbreviated HKCR, HKCU, HKLM,
    // HKU; the path as the caller spelled it), in order, successful or not, and beside it the
    // access asked for (MAXIMUM_ALLOWED for RegOpenKeyA).
    std::vector<std::string> opens;
    std::vector<DWORD> openAccess;
    int OpenKeyCount() const;

    std::vector<std::string> OpenResources() const; // "registry key HKLM\Path" per open key
    void Reset();

    // Used by the simulated API.
    LONG Open(HKEY parent, const std::string& subKey, DWORD access, HKEY* result);
    LONG Query(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size);
    LONG QueryWide(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size);
    LONG Close(HKEY key);
    LONG Create(HKEY parent, const std::string& subKey, DWORD access, HKEY* result,
                DWORD* disposition);
    LONG Set(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size);
    LONG Delete(HKEY parent, const std::string& subKey);

  private:
    enum class Access { Full, ReadOnly, None };
    struct Key {
        std::string display; // "HKLM\Software\Vendor" as first created
        Access access = Access::Full;
        std::map<std::string, RegistryValue> values; // by folded name
    };
    struct Handle {
        std::string key; // folded full path of the key
        DWORD granted = 0;
    };

    Key& Make(HKEY root, const std::string& keyPath);
    LONG FindValue(HKEY handle, const std::string& name, const RegistryValue** value) const;
    const Key* Find(const std::string& id) const;
    // The folded full path of a key ("HKLM\SOFTWARE\VENDOR"), or empty for an unknown root.
    static std::string Id(HKEY root, const std::string& keyPath);
    // The key a handle stands for, and the rights it carries.
    bool Resolve(HKEY handle, std::string* id, DWORD* granted) const;
    static LONG Grant(const Key& key, DWORD access, DWORD* granted);
    HKEY NewHandle(const std::string& id, DWORD granted);
    bool Deleted(const std::string& id) const;
    // The key of a handle that still stands for a key: ERROR_INVALID_HANDLE for an unknown
    // handle, ERROR_KEY_DELETED for one whose key was deleted, else 0.
    LONG LiveKey(HKEY handle, std::string* id, DWORD* granted) const;
    // The key named by `subKey` below a live `parent`: its id and its path's names.
    LONG Below(HKEY parent, const std::string& subKey, std::string* parentId, std::string* id,
               std::vector<std::string>* names) const;
    // Records an open or create in `opens` and `openAccess`.
    void NoteOpen(HKEY parent, const std::string& subKey, DWORD access);

    std::map<std::string, Key> keys_; // by folded full path; every ancestor present
    std::map<HKEY, Handle> handles_;
    uintptr_t nextHandle_ = 0x1000;
};

} // namespace winsim
