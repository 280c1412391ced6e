// Path text: cut, join and normalise. Every search for a backslash steps from character to
// character, so the trail byte of a double-byte character is never taken for a separator.
#include "paths/path.h"

#include "strings/strings.h"

std::string PathParent(const std::string& path) {
    return StrReverse(StrAfter(StrReverse(path), "\\"));
}

std::string PathLeaf(const std::string& path) {
    return StrReverse(StrBefore(StrReverse(path), "\\"));
}

// One backslash always goes between the two parts; the doubled backslashes this may make are
// folded by the normalisation.
std::string PathJoin(const std::string& directory, const std::string& name) {
    std::string joined =
        directory.empty() ? StrTrim(name) : StrTrim(directory) + "\\" + StrTrim(name);
    PathNormalize(joined);
    return joined;
}

void PathNormalize(std::string& path) {
    // A network path (or an empty one) begins with two backslashes once trimmed.
    const bool network = StrBefore(StrTrim(path), "\\\\").empty();
    // One left-to-right pass: a run of three backslashes leaves two.
    std::string text = StrReplace(path, "\\\\", "\\", 1);
    if (network)
        text = "\\" + text;
    text = StrTrim(StrStripTrailing(text, "\\"));
    // A bare drive gets its backslash back, and so does a drive followed directly by a name;
    // a path with a colon and backslash anywhere, or with '>', keeps its colons.
    if (StrContains(text, ":", 1) && !StrContains(text, ":\\", 1) && !StrContains(text, ">", 0))
        text = StrReplace(text, ":", ":\\", 1);
    path = text;
}
