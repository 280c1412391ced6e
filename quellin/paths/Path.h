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
// Doubled backslashes folded once, the leading pair of a network path kept, one trailing
// backslash removed, white space trimmed, a bare drive's backslash given back. In place.
void PathNormalize(std::string& path);
