// The output of the conformance checks, and the groups of checks the program runs in order.
// Every check prints one line "name: result".
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// printf-style formatting into a string.
std::string Fmt(const char* format, ...);
void Check(const std::string& name, const std::string& result);
unsigned long U(DWORD value);
// Sets a last error no call gives, before a call whose last error is printed.
void Arm();
// "err=N", or "err=unset" when the call left the last error alone.
std::string Err();
// "ret=1", or "ret=0 err=N".
std::string BoolErr(BOOL ret);
// Bytes in hexadecimal, "-" for none.
std::string Hex(const void* data, size_t size);
// Wide characters in hexadecimal, four digits each, "-" for none.
std::string HexW(const WCHAR* text, size_t count);
// "<0", "0" or ">0".
std::string Sign(int value);
// A handle value that no call handed out.
HANDLE BogusHandle();

// The errors and HRESULTs the library names, by their SDK names: the conformance program
// prints each constant's value from the headers it is built with (winsim's or the SDK's), and
// the host test of the names expects each constant's own name, so that neither a name nor a
// value of the library's table can drift from Windows.
#define CONFORMANCE_ERROR_CONSTANTS(X)                                                           \
    X(ERROR_INVALID_FUNCTION) X(ERROR_FILE_NOT_FOUND) X(ERROR_PATH_NOT_FOUND)                     \
    X(ERROR_ACCESS_DENIED) X(ERROR_INVALID_HANDLE) X(ERROR_NOT_ENOUGH_MEMORY) X(ERROR_OUTOFMEMORY) \
    X(ERROR_INVALID_DRIVE) X(ERROR_WRITE_PROTECT) X(ERROR_NOT_READY) X(ERROR_SHARING_VIOLATION)   \
    X(ERROR_BAD_NETPATH) X(ERROR_UNEXP_NET_ERR) X(ERROR_NETWORK_ACCESS_DENIED)                    \
    X(ERROR_BAD_NET_NAME) X(ERROR_FILE_EXISTS) X(ERROR_ALREADY_ASSIGNED) X(ERROR_INVALID_PARAMETER) \
    X(ERROR_DISK_FULL) X(ERROR_CALL_NOT_IMPLEMENTED) X(ERROR_INSUFFICIENT_BUFFER)                 \
    X(ERROR_INVALID_NAME) X(ERROR_MOD_NOT_FOUND) X(ERROR_PROC_NOT_FOUND) X(ERROR_BAD_PATHNAME)    \
    X(ERROR_ALREADY_EXISTS) X(ERROR_BAD_EXE_FORMAT) X(ERROR_FILENAME_EXCED_RANGE)                 \
    X(ERROR_MORE_DATA) X(ERROR_DIRECTORY) X(ERROR_KEY_DELETED) X(ERROR_NO_UNICODE_TRANSLATION)    \
    X(ERROR_BAD_DEVICE) X(ERROR_NO_NET_OR_BAD_PATH) X(ERROR_NO_NETWORK)                           \
    X(ERROR_NETWORK_UNREACHABLE) X(ERROR_LOGON_FAILURE)
#define CONFORMANCE_HRESULT_CONSTANTS(X)                                                         \
    X(S_FALSE) X(E_NOTIMPL) X(E_NOINTERFACE) X(E_POINTER) X(E_FAIL) X(E_UNEXPECTED)               \
    X(E_ACCESSDENIED) X(E_OUTOFMEMORY) X(E_INVALIDARG)

void ConstantChecks();
void CodePageChecks();
void StringChecks();
void ConversionChecks();
void RegistryChecks();
// Creates the scratch folder and checks directories, files and the current directory in it;
// the scratch folder stays the current directory.
void ScratchChecks(const std::string& scratch);
// Removes what ScratchChecks left and the scratch folder itself.
void RemoveScratchChecks();
void FolderSizeChecks();
void VersionChecks();
void SystemChecks();
