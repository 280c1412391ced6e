// Prints the folder table that Quellin.dll resolved on this machine: slot number, member name
// and value, one slot per line, or as JSON with --json.
//
//   folderdump [--json] [path\to\Quellin.dll]
//
// Without a path the library beside this program is loaded. The library resolves its table
// while it is loaded, with the process's current directory deciding where it looks for the
// installation source's "setup\shfolder.dll".
#include "Quellin.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The folder beside this program, with a trailing backslash.
std::string OwnFolder() {
    char name[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string path(name, length);
    size_t cut = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\')
            cut = i + 1;
    }
    return path.substr(0, cut);
}

// ANSI text as UTF-8, for JSON.
std::string ToUtf8(const std::string& ansi) {
    if (ansi.empty())
        return ansi;
    int wide =
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string ReadSlot(PFNQUELLINGETFOLDER getFolder, DWORD slot) {
    DWORD needed = getFolder(slot, nullptr, 0);
    std::string text(needed, '\0');
    DWORD length = getFolder(slot, &text[0], needed);
    text.resize(length < needed ? length : 0);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            json = true;
        else
            library = argv[i];
    }
    if (library.empty())
        library = OwnFolder() + "Quellin.dll";

    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) {
        std::fprintf(stderr, "folderdump: cannot load %s (error %lu)\n", library.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    auto getFolder = reinterpret_cast<PFNQUELLINGETFOLDER>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinGetFolder")));
    auto folderName = reinterpret_cast<PFNQUELLINFOLDERNAME>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinFolderName")));
    if (getFolder == nullptr || folderName == nullptr) {
        std::fprintf(stderr, "folderdump: %s does not export the folder table\n", library.c_str());
        FreeLibrary(module);
        return 1;
    }

    if (json)
        std::printf("[\n");
    for (DWORD slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        std::string value = ReadSlot(getFolder, slot);
        if (json)
            std::printf("  {\"slot\": %lu, \"name\": \"%s\", \"value\": %s}%s\n",
                        static_cast<unsigned long>(slot), folderName(slot),
                        JsonString(value).c_str(), slot + 1 < QUELLIN_SLOT_COUNT ? "," : "");
        else
            std::printf("%2lu %-22s %s\n", static_cast<unsigned long>(slot), folderName(slot),
                        value.c_str());
    }
    if (json)
        std::printf("]\n");
    FreeLibrary(module);
    return 0;
}
