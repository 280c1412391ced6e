// The symbolic names of the errors the library meets.
#include "platform/ErrorNames.h"

#include <cstddef>

namespace {

struct Named {
    DWORD value;
    const char* name;
};

// Win32 errors of the calls the library makes: files and directories, the registry, modules,
// the network, text conversions.
const Named kErrors[] = {
    {1, "ERROR_INVALID_FUNCTION"},      {2, "ERROR_FILE_NOT_FOUND"},
    {3, "ERROR_PATH_NOT_FOUND"},        {5, "ERROR_ACCESS_DENIED"},
    {6, "ERROR_INVALID_HANDLE"},        {8, "ERROR_NOT_ENOUGH_MEMORY"},
    {14, "ERROR_OUTOFMEMORY"},          {15, "ERROR_INVALID_DRIVE"},
    {19, "ERROR_WRITE_PROTECT"},        {21, "ERROR_NOT_READY"},
    {32, "ERROR_SHARING_VIOLATION"},    {53, "ERROR_BAD_NETPATH"},
    {59, "ERROR_UNEXP_NET_ERR"},        {65, "ERROR_NETWORK_ACCESS_DENIED"},
    {67, "ERROR_BAD_NET_NAME"},         {80, "ERROR_FILE_EXISTS"},
    {85, "ERROR_ALREADY_ASSIGNED"},     {87, "ERROR_INVALID_PARAMETER"},
    {112, "ERROR_DISK_FULL"},           {120, "ERROR_CALL_NOT_IMPLEMENTED"},
    {122, "ERROR_INSUFFICIENT_BUFFER"}, {123, "ERROR_INVALID_NAME"},
    {126, "ERROR_MOD_NOT_FOUND"},       {127, "ERROR_PROC_NOT_FOUND"},
    {161, "ERROR_BAD_PATHNAME"},        {183, "ERROR_ALREADY_EXISTS"},
    {193, "ERROR_BAD_EXE_FORMAT"},      {206, "ERROR_FILENAME_EXCED_RANGE"},
    {234, "ERROR_MORE_DATA"},           {267, "ERROR_DIRECTORY"},
    {1018, "ERROR_KEY_DELETED"},        {1113, "ERROR_NO_UNICODE_TRANSLATION"},
    {1200, "ERROR_BAD_DEVICE"},         {1203, "ERROR_NO_NET_OR_BAD_PATH"},
    {1222, "ERROR_NO_NETWORK"},         {1231, "ERROR_NETWORK_UNREACHABLE"},
    {1326, "ERROR_LOGON_FAILURE"},
};

// HRESULTs of their own (those made from a Win32 error are named after the error).
const Named kHResults[] = {
    {0x00000001, "S_FALSE"},        {0x80004001, "E_NOTIMPL"},     {0x80004002, "E_NOINTERFACE"},
    {0x80004003, "E_POINTER"},      {0x80004005, "E_FAIL"},        {0x8000FFFF, "E_UNEXPECTED"},
    {0x80070005, "E_ACCESSDENIED"}, {0x8007000E, "E_OUTOFMEMORY"}, {0x80070057, "E_INVALIDARG"},
};

const char* Find(const Named* table, size_t count, DWORD value) {
    for (size_t i = 0; i < count; ++i)
        if (table[i].value == value)
            return table[i].name;
    return nullptr;
}

} // namespace

const char* ErrorName(DWORD error) {
    return Find(kErrors, sizeof kErrors / sizeof kErrors[0], error);
}

const char* HResultName(HRESULT result) {
    const DWORD value = static_cast<DWORD>(result);
    const char* name = Find(kHResults, sizeof kHResults / sizeof kHResults[0], value);
    if (name == nullptr && (value & 0xFFFF0000u) == 0x80070000u)
        name = ErrorName(value & 0xFFFFu);
    return name;
}
