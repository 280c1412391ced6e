// The registry: keys by path under the predefined roots, values with exact bytes, per-key
// access for this user, and open handles. Served through RegOpenKeyExA, RegOpenKeyA,
// RegQueryValueExA, RegQueryValueExW, RegCloseKey, RegCreateKeyExA, RegSetValueExA and
// RegDeleteKeyA with the NT rules for rights and sizes.
#include "internal.h"
#include "names.h"

namespace winsim {
namespace {

struct Root {
    HKEY key;
    const char* name;
};

const Root kRoots[] = {{HKEY_CLASSES_ROOT, "HKCR"},
                       {HKEY_CURRENT_USER, "HKCU"},
                       {HKEY_LOCAL_MACHINE, "HKLM"},
                       {HKEY_USERS, "HKU"}};

const char* RootName(HKEY root) {
    for (const Root& r : kRoots)
        if (r.key == root)
            return r.name;
    return nullptr;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The subkey path's names, or an error: a path may not begin with a backslash; empty names
// between backslashes, or after the last one, are passed over.
LONG ParseKeyPath(const std::string& path, std::vector<std::string>* names) {
    names->clear();
    if (path.empty())
        return ERROR_SUCCESS;
    if (path[0] == '\\')
        return ERROR_BAD_PATHNAME;
    for (std::string& n : SplitNames(path, '\\'))
        if (!n.empty())
            names->push_back(std::move(n));
    return ERROR_SUCCESS;
}

// The names of a key path given to a set-up call; a leading backslash is passed over.
std::vector<std::string> SetUpNames(const std::string& path) {
    std::vector<std::string> names;
    ParseKeyPath(path.substr(path.find_first_not_of('\\') == std::string::npos
                                 ? path.size()
                                 : path.find_first_not_of('\\')),
                 &names);
    return names;
}

std::string Join(const std::string& base, const std::vector<std::string>& names) {
    std::string out = base;
    for (const std::string& n : names)
        out += "\\" + n;
    return out;
}

} // namespace

std::string Registry::Id(HKEY root, const std::string& keyPath) {
    const char* name = RootName(root);
    if (name == nullptr)
        return {};
    return FoldCase(Join(name, SetUpNames(keyPath)));
}

Registry::Key& Registry::Make(HKEY root, const std::string& keyPath) {
    const char* rootName = RootName(root);
    std::string display = rootName ? rootName : "HK?";
    const std::vector<std::string> names = SetUpNames(keyPath);
    Key* key = &keys_[FoldCase(display)];
    if (key->display.empty())
        key->display = display;
    for (const std::string& n : names) {
        display += "\\" + n;
        key = &keys_[FoldCase(display)];
        if (key->display.empty())
            key->display = display;
    }
    return *key;
}

const Registry::Key* Registry::Find(const std::string& id) const {
    auto it = keys_.find(id);
    return it == keys_.end() ? nullptr : &it->second;
}

void Registry::CreateKey(HKEY root, const std::string& keyPath) {
    Make(root, keyPath);
}

void Registry::SetString(HKEY root, const std::string& keyPath, const std::string& name,
                         const std::string& value, DWORD type) {
    SetRaw(root, keyPath, name, type, value + std::string(1, '\0'));
}

void Registry::SetString(HKEY root, const std::string& keyPath, const std::string& name,
                         const std::wstring& value, DWORD type) {
    RegistryValue stored;
    stored.type = type;
    stored.wide = value + L'\0';
    stored.wideStored = true;
    stored.data = machine().codePage.ToAnsi(stored.wide);
    Make(root, keyPath).values[FoldCase(name)] = stored;
}

void Registry::SetMultiString(HKEY root, const std::string& keyPath, const std::string& name,
                              const std::vector<std::string>& items) {
    std::string bytes;
    for (const std::string& item : items)
        bytes += item + std::string(1, '\0');
    bytes += std::string(1, '\0');
    SetRaw(root, keyPath, name, REG_MULTI_SZ, bytes);
}

void Registry::SetDword(HKEY root, const std::string& keyPath, const std::string& name,
                        DWORD value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    SetRaw(root, keyPath, name, REG_DWORD, bytes);
}

void Registry::SetRaw(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                      const std::string& bytes) {
    Make(root, keyPath).values[FoldCase(name)] = RegistryValue{type, bytes, false, {}};
}

void Registry::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) {
    auto it = keys_.find(Id(root, keyPath));
    if (it != keys_.end())
        it->second.values.erase(FoldCase(name));
}

void Registry::DenyWrite(HKEY root, const std::string& keyPath) {
    Make(root, keyPath).access = Access::ReadOnly;
}

void Registry::DenyAccess(HKEY root, const std::string& keyPath) {
    Make(root, keyPath).access = Access::None;
}

bool Registry::KeyExists(HKEY root, const std::string& keyPath) const {
    return Find(Id(root, keyPath)) != nullptr;
}

const RegistryValue* Registry::Value(HKEY root, const std::string& keyPath,
                                     const std::string& name) const {
    const Key* key = Find(Id(root, keyPath));
    if (key == nullptr)
        return nullptr;
    auto it = key->values.find(FoldCase(name));
    return it == key->values.end() ? nullptr : &it->second;
}

int Registry::OpenKeyCount() const {
    return static_cast<int>(handles_.size());
}

std::vector<std::string> Registry::OpenResources() const {
    std::vector<std::string> open;
    for (const auto& h : handles_) {
        const Key* key = Find(h.second.key);
        open.push_back("registry key " + (key ? key->display : h.second.key));
    }
    return open;
}

void Registry::Reset() {
    keys_.clear();
    handles_.clear();
    opens.clear();
    openAccess.clear();
    nextHandle_ = 0x1000;
    // The roots' names are upper case already (no code page needed while the machine is
    // being built).
    for (const Root& r : kRoots)
        keys_[r.name].display = r.name;
}

bool Registry::Resolve(HKEY handle, std::string* id, DWORD* granted) const {
    if (const char* name = RootName(handle)) {
        *id = FoldCase(name);
        const Key* key = Find(*id);
        Access access = key ? key->access : Access::Full;
        *granted = access == Access::Full       ? KEY_ALL_ACCESS
                   : access == Access::ReadOnly ? KEY_READ
                                                : 0;
        return true;
    }
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return false;
    *id = it->second.key;
    *granted = it->second.granted;
    return true;
}

// A handle stays valid after its key is deleted; everything but closing it then fails.
bool Registry::Deleted(const std::string& id) const {
    return Find(id) == nullptr;
}

LONG Registry::LiveKey(HKEY handle, std::string* id, DWORD* granted) const {
    if (!Resolve(handle, id, granted))
        return ERROR_INVALID_HANDLE;
    if (Deleted(*id))
        return ERROR_KEY_DELETED;
    return ERROR_SUCCESS;
}

LONG Registry::Below(HKEY parent, const std::string& subKey, std::string* parentId, std::string* id,
                     std::vector<std::string>* names) const {
    DWORD parentRights = 0;
    if (LONG error = LiveKey(parent, parentId, &parentRights))
        return error;
    if (LONG error = ParseKeyPath(subKey, names))
        return error;
    *id = FoldCase(Join(*parentId, *names));
    return ERROR_SUCCESS;
}

// The rights a handle to `key` carries when `access` is asked: generic rights map to the
// key's specific ones; MAXIMUM_ALLOWED grants whatever this user may have. Anything asked for
// beyond what the user may have is refused.
LONG Registry::Grant(const Key& key, DWORD access, DWORD* granted) {
    DWORD want = access & ~static_cast<DWORD>(KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    bool maximum = (want & MAXIMUM_ALLOWED) != 0;
    want &= ~static_cast<DWORD>(MAXIMUM_ALLOWED);
    const struct {
        DWORD generic, specific;
    } kGeneric[] = {{GENERIC_READ, KEY_READ},
                    {GENERIC_WRITE, KEY_WRITE},
                    {GENERIC_EXECUTE, KEY_EXECUTE},
                    {GENERIC_ALL, KEY_ALL_ACCESS}};
    for (const auto& g : kGeneric)
        if (want & g.generic)
            want = (want & ~g.generic) | g.specific;
    DWORD allowed = key.access == Access::Full       ? KEY_ALL_ACCESS
                    : key.access == Access::ReadOnly ? KEY_READ
                                                     : 0;
    if (key.access == Access::None || (want & ~allowed) != 0)
        return ERROR_ACCESS_DENIED;
    *granted = want | (maximum ? allowed : 0);
    return ERROR_SUCCESS;
}

HKEY Registry::NewHandle(const std::string& id, DWORD granted) {
    HKEY handle = reinterpret_cast<HKEY>(nextHandle_);
    nextHandle_ += 4;
    handles_[handle] = Handle{id, granted};
    return handle;
}

void Registry::NoteOpen(HKEY parent, const std::string& subKey, DWORD access) {
    std::string parentId;
    DWORD parentRights = 0;
    const Key* parentKey = Resolve(parent, &parentId, &parentRights) ? Find(parentId) : nullptr;
    opens.push_back((parentKey ? parentKey->display : std::string("?")) +
                    (subKey.empty() ? "" : "\\" + subKey));
    openAccess.push_back(access);
}

LONG Registry::Open(HKEY parent, const std::string& subKey, DWORD access, HKEY* result) {
    NoteOpen(parent, subKey, access);
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    // A predefined key with no subkey name is handed back itself.
    if (subKey.empty() && RootName(parent) != nullptr) {
        *result = parent;
        return ERROR_SUCCESS;
    }
    std::string parentId, id;
    std::vector<std::string> names;
    if (LONG error = Below(parent, subKey, &parentId, &id, &names))
        return error;
    const Key* key = Find(id);
    if (key == nullptr)
        return ERROR_FILE_NOT_FOUND;
    DWORD granted = 0;
    if (LONG error = Grant(*key, access, &granted))
        return error;
    *result = NewHandle(id, granted);
    return ERROR_SUCCESS;
}

// Opens the key, or creates it with the missing keys above it. Creating needs write access to
// the nearest existing key above; a created key is one this user fully controls.
LONG Registry::Create(HKEY parent, const std::string& subKey, DWORD access, HKEY* result,
                      DWORD* disposition) {
    NoteOpen(parent, subKey, access);
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::string parentId, id;
    std::vector<std::string> names;
    if (LONG error = Below(parent, subKey, &parentId, &id, &names))
        return error;
    DWORD granted = 0;
    if (const Key* key = Find(id)) {
        if (LONG error = Grant(*key, access, &granted))
            return error;
        *result = NewHandle(id, granted);
        if (disposition != nullptr)
            *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    const Key* parentKey = Find(parentId);
    std::string display = parentKey ? parentKey->display : parentId;
    std::string existing = parentId;
    size_t known = 0;
    while (known < names.size() && Find(FoldCase(existing + "\\" + names[known])) != nullptr) {
        existing = FoldCase(existing + "\\" + names[known]);
        display = Find(existing)->display;
        ++known;
    }
    const Key* above = Find(existing);
    if (above == nullptr || above->access != Access::Full)
        return ERROR_ACCESS_DENIED;
    Key created;
    if (LONG error = Grant(created, access, &granted))
        return error;
    for (size_t i = known; i < names.size(); ++i) {
        display += "\\" + names[i];
        Key& key = keys_[FoldCase(display)];
        key.display = display;
    }
    *result = NewHandle(id, granted);
    if (disposition != nullptr)
        *disposition = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

// Stores a value through a handle with KEY_SET_VALUE. A string whose counted bytes end without
// a zero takes the zero that follows them in the caller's memory, as the NT family counts it.
LONG Registry::Set(HKEY handle, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
    const LONG kNoAccess = 998; // ERROR_NOACCESS
    std::string id;
    DWORD granted = 0;
    if (LONG error = LiveKey(handle, &id, &granted))
        return error;
    if ((granted & KEY_SET_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0)
        return kNoAccess;
    if (IsStringType(type) && size > 0 && data[size - 1] != 0 && data[size] == 0)
        ++size;
    std::string bytes =
        size ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
    keys_[id].values[FoldCase(name)] = RegistryValue{type, bytes, false, {}};
    return ERROR_SUCCESS;
}

// Deletes a key without subkeys (a key with subkeys is refused with ERROR_ACCESS_DENIED, as
// is a key this user may not write and a predefined root).
LONG Registry::Delete(HKEY parent, const std::string& subKey) {
    std::string parentId;
    DWORD parentRights = 0;
    if (!Resolve(parent, &parentId, &parentRights))
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    if (LONG error = ParseKeyPath(subKey, &names))
        return error;
    std::string id = FoldCase(Join(parentId, names));
    auto it = keys_.find(id);
    if (it == keys_.end())
        return ERROR_FILE_NOT_FOUND;
    if (id.find('\\') == std::string::npos || it->second.access != Access::Full)
        return ERROR_ACCESS_DENIED;
    auto child = keys_.lower_bound(id + "\\");
    if (child != keys_.end() && child->first.compare(0, id.size() + 1, id + "\\") == 0)
        return ERROR_ACCESS_DENIED;
    keys_.erase(it);
    return ERROR_SUCCESS;
}

LONG Registry::FindValue(HKEY handle, const std::string& name, const RegistryValue** value) const {
    std::string id;
    DWORD granted = 0;
    if (LONG error = LiveKey(handle, &id, &granted))
        return error;
    if ((granted & KEY_QUERY_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    const Key* key = Find(id);
    auto it = key ? key->values.find(FoldCase(name))
                  : std::map<std::string, RegistryValue>::const_iterator();
    if (key == nullptr || it == key->values.end())
        return ERROR_FILE_NOT_FOUND;
    *value = &it->second;
    return ERROR_SUCCESS;
}

// The wide call: string data as wide text (a value stored in ANSI converted from the code
// page), sizes in bytes of WCHARs; other data as stored. A buffer too small is left alone.
LONG Registry::QueryWide(HKEY handle, const std::wstring& name, DWORD* type, BYTE* data,
                         DWORD* size) {
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    const CodePage& cp = machine().codePage;
    if (!cp.CanWrite(name))
        return ERROR_FILE_NOT_FOUND; // every value name stored is one ANSI can write
    const RegistryValue* value = nullptr;
    if (LONG error = FindValue(handle, cp.ToAnsi(name, false), &value))
        return error;
    const bool text = IsStringType(value->type);
    const std::wstring wide = !text               ? std::wstring()
                              : value->wideStored ? value->wide
                                                  : cp.ToWide(value->data);
    const DWORD needed = text ? static_cast<DWORD>(wide.size() * sizeof(WCHAR))
                              : static_cast<DWORD>(value->data.size());
    if (type != nullptr)
        *type = value->type;
    if (data == nullptr) {
        if (size != nullptr)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, text ? static_cast<const void*>(wide.data()) : value->data.data(), needed);
    // As in the ANSI call, a string stored without its zero gets one when there is room.
    if (text && !wide.empty() && wide.back() != 0 && needed + sizeof(WCHAR) <= *size) {
        const WCHAR zero = 0;
        std::memcpy(data + needed, &zero, sizeof zero);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG Registry::Query(HKEY handle, const std::string& name, DWORD* type, BYTE* data, DWORD* size) {
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    const RegistryValue* found = nullptr;
    if (LONG error = FindValue(handle, name, &found))
        return error;
    const RegistryValue& value = *found;
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (type != nullptr)
        *type = value.type;
    if (data == nullptr) {
        if (size != nullptr)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        // The buffer's contents are undefined then: the bytes that fit for binary data, as
        // NT leaves them; nothing for strings.
        if (!IsStringType(value.type))
            std::memcpy(data, value.data.data(), *size);
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), needed);
    // NT appends a zero to string data stored without one when the buffer has room; the size
    // reported does not count it.
    if (IsStringType(value.type) && needed > 0 && needed < *size && data[needed - 1] != 0)
        data[needed] = 0;
    *size = needed;
    return ERROR_SUCCESS;
}

LONG Registry::Close(HKEY handle) {
    if (RootName(handle) != nullptr)
        return ERROR_SUCCESS;
    return handles_.erase(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
    std::string subKey = winsim::Text(lpSubKey);
    DWORD error = 0;
    if (Enter("RegOpenKeyExA", subKey, ERROR_FILE_NOT_FOUND, &error))
        return static_cast<LONG>(error);
    (void)ulOptions; // 0 or REG_OPTION_OPEN_LINK; links are not simulated
    return machine().registry.Open(hKey, subKey, samDesired, phkResult);
}

// The 16-bit compatible open: the same handle back for an empty name, otherwise the key
// opened with whatever rights this user has (MAXIMUM_ALLOWED), so a key the user may only
// read opens for reading.
LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    std::string subKey = winsim::Text(lpSubKey);
    DWORD error = 0;
    if (Enter("RegOpenKeyA", subKey, ERROR_FILE_NOT_FOUND, &error))
        return static_cast<LONG>(error);
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (subKey.empty()) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return machine().registry.Open(hKey, subKey, MAXIMUM_ALLOWED, phkResult);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    std::string name = winsim::Text(lpValueName);
    DWORD error = 0;
    if (Enter("RegQueryValueExA", name, ERROR_FILE_NOT_FOUND, &error))
        return static_cast<LONG>(error);
    if (lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return machine().registry.Query(hKey, name, lpType, lpData, lpcbData);
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    std::wstring name = lpValueName != nullptr ? std::wstring(lpValueName) : std::wstring();
    DWORD error = 0;
    if (Enter("RegQueryValueExW", machine().codePage.ToAnsi(name), ERROR_FILE_NOT_FOUND, &error))
        return static_cast<LONG>(error);
    if (lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return machine().registry.QueryWide(hKey, name, lpType, lpData, lpcbData);
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
    std::string subKey = winsim::Text(lpSubKey);
    DWORD error = 0;
    if (Enter("RegCreateKeyExA", subKey, ERROR_ACCESS_DENIED, &error))
        return static_cast<LONG>(error);
    (void)Reserved;
    (void)lpClass;
    (void)dwOptions; // every key is kept; volatile keys are not simulated
    (void)lpSecurityAttributes;
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return machine().registry.Create(hKey, subKey, samDesired, phkResult, lpdwDisposition);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData) {
    std::string name = winsim::Text(lpValueName);
    DWORD error = 0;
    if (Enter("RegSetValueExA", name, ERROR_ACCESS_DENIED, &error))
        return static_cast<LONG>(error);
    (void)Reserved;
    return machine().registry.Set(hKey, name, dwType, lpData, cbData);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    std::string subKey = winsim::Text(lpSubKey);
    DWORD error = 0;
    if (Enter("RegDeleteKeyA", subKey, ERROR_ACCESS_DENIED, &error))
        return static_cast<LONG>(error);
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return machine().registry.Delete(hKey, subKey);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    DWORD error = 0;
    if (Enter("RegCloseKey", {}, ERROR_INVALID_HANDLE, &error))
        return static_cast<LONG>(error);
    return machine().registry.Close(hKey);
}

} // extern "C"
