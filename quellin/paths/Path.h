// Path text: cut at the last backslash, join, normalise. Never touches the file system. Where a
// source's answer is worked on, the same body serves byte strings in the ANSI code page and
// wide text.
#pragma once

#include <string>

// The text before the last backslash; empty when there is none.
std::string PathParent(const std::string& path);
std::wstring PathParent(const std::wstring& path);
// The text after the last backslash; the whole path when there is none.
std::string PathLeaf(const std::string& path);
// Directory and name with one backslash between them, normalised.
std::string PathJoin(const std::string& directory, const std::string& name);
std::wstring PathJoin(const std::wstring& directory, const std::wstring& name);
// A path below a folder: as PathJoin, but the seam holds one backslash however many the folder
// ends with and the name begins with. No folder has nothing below it: an empty folder gives
// an empty path, never a name relative to the current directory.
std::string PathJoinBelow(const std::string& folder, const std::string& name);
std::wstring PathJoinBelow(const std::wstring& folder, const std::wstring& name);
// What keeps a path from naming a folder an installer can use, or Usable. A usable path is
// full: a drive letter, a colon and a backslash ('C:\'), or a share ('\\server\share'); it
// names no empty folder but at its end (a trailing backslash is allowed); and it holds no
// character a Windows path may not hold: '*', '"', '<', '>', '|', control characters, a colon
// but after the drive letter (Invalid), or '?' (Unwritable: the ANSI calls put it where the
// code page cannot write a character). An empty path has no fault: it is no folder at all.
enum class PathFault { Usable, NotFull, Unwritable, Invalid };
PathFault PathFaultOf(const std::string& path);
// The same, with the position of the character that breaks the rule (its first byte), or
// std::string::npos when the fault is no one character's (a path that is not full).
PathFault PathFaultOf(const std::string& path, size_t& at);

// Doubled backslashes folded once, the leading pair of a network path kept, one trailing
// backslash removed, white space trimmed, a bare drive's backslash given back. In place.
void PathNormalize(std::string& path);
