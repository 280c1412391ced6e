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
