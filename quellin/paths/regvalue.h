// One registry value read as text.
#pragma once

#include <windows.h>

#include <string>

// The value's text (up to its first zero byte, trimmed) from a key the caller holds open;
// empty on any failure, for data of more than 255 bytes among them.
std::string RegQueryString(HKEY key, const std::string& valueName);
// The value named by 'Key\...\ValueName' under `root`, read with read and write access to the
// key; empty on any failure.
std::string RegReadValue(HKEY root, const std::string& valuePath);
