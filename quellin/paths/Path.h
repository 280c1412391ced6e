// Path text: cut at the last backslash, join, normalise. Never touches the file system.
#pragma once

#include <string>

// The text before the last backslash; empty when there is none.
std::string PathParent(const std::string& path);
// The text after the last backslash; the whole path when there is none.
std::string PathLeaf(const std::string& path);
// Directory and name with one backslash between them, normalised.
std::string PathJoin(const std::string& directory, const std::string& name);
// A path below a folder: as PathJoin, but the seam holds one backslash however many the folder
// ends with and the name begins with. No folder has nothing below it: an empty folder gives
// an empty path, never a name relative to the current directory.
std::string PathJoinBelow(const std::string& folder, const std::string& name);
// Its wide twin, for the long names of folders the ANSI code page cannot write: the folder
// without its trailing backslashes, one backslash, the name without its leading ones; empty
// for an empty folder. Nothing else is changed.
std::wstring PathJoinBelowW(const std::wstring& folder, const std::wstring& name);
// What keeps a path from naming a folder an installer can use, or Usable. A usable path is
// full: a drive letter, a colon and a backslash ('C:\'), or a share ('\\server\share'); it
// names no empty folder but at its end (a trailing backslash is allowed); and it holds no
// character a Windows path may not hold: '*', '"', '<', '>', '|', control characters, a colon
// but after the drive letter (Invalid), or '?' (Unwritable: the ANSI calls put it where the
// code page cannot write a character). An empty path has no fault: it is no folder at all.
enum class PathFault { Usable, NotFull, Unwritable, Invalid };
PathFault PathFaultOf(const std::string& path);

// Doubled backslashes folded once, the leading pair of a network path kept, one trailing
// backslash removed, white space trimmed, a bare drive's backslash given back. In place.
void PathNormalize(std::string& path);
