// Path comparison as Windows does it: case-insensitive, repeated backslashes folded, a trailing
// backslash ignored (except that 'C:\' is the root of C:).
#pragma once

#include <string>

namespace winsim {

// The canonical form of a path used as a lookup key: upper case (ASCII), runs of backslashes
// folded to one except the leading pair of a network path, no trailing backslash except after
// a drive ("C:\"). "C:" becomes "C:\".
std::string PathKey(const std::string& path);
// True when a and b name the same object.
bool SamePath(const std::string& a, const std::string& b);
// ASCII upper case.
std::string Upper(std::string text);

} // namespace winsim
