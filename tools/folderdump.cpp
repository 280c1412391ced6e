// Prints the folder table that Quellin.dll resolved on this machine: slot number, member name
// and value, one slot per line, or as JSON with --json; or, with --slot, one slot's value alone.
// --explain adds below each slot why it holds what it holds: every source the library tried,
// in order, with what came of it, the one that answered last. The JSON always carries that
// record, as a list of {kind, detail, outcome} per slot.
//
//   folderdump [--explain] [--json | --slot NUMBER|NAME] [path\to\Quellin.dll]
//
// Without a path the library beside this program is loaded. The library resolves its table
// while it is loaded, with the process's current directory deciding where it looks for the
// installation source's "setup\shfolder.dll".
//
// Exit codes: 0 done; 1 the library cannot be loaded or does not export the folder table; 2 a
// command line it does not understand, or a slot that the library does not have. Every
// failure is one line on the standard error.
#include "Quellin.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kLibraryFailed = 1;
const int kUsageFailed = 2;

const char kUsage[] =
    "usage: folderdump [--explain] [--json | --slot NUMBER|NAME] [path\\to\\Quellin.dll]\n";

// Windows' text for an error code, on one line, with the code.
std::string ErrorText(DWORD error) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : "";
    if (text != nullptr)
        LocalFree(text);
    for (char& c : message)
        if (c == '\r' || c == '\n')
            c = ' ';
    while (!message.empty() && (message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    std::string code = "error " + std::to_string(error);
    return message.empty() ? code : message + " (" + code + ")";
}

// The slot that `text` names, as a decimal number or as the slot's name without regard to
// case; false when the library has no such slot.
bool FindSlot(PFNQUELLINFOLDERNAME folderName, const std::string& text, DWORD& slot) {
    const bool number = !text.empty() && text.size() <= 9 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        slot = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
        return folderName(slot) != nullptr;
    }
    for (DWORD i = 0; folderName(i) != nullptr; ++i) {
        if (lstrcmpiA(folderName(i), text.c_str()) == 0) {
            slot = i;
            return true;
        }
    }
    return false;
}

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

// One attempt of a slot's record: "kind<TAB>detail<TAB>outcome".
struct Attempt {
    std::string kind;
    std::string detail;
    std::string outcome;
};

std::vector<Attempt> ReadRecord(PFNQUELLINFOLDERSOURCE folderSource, DWORD slot) {
    std::vector<Attempt> record;
    const char* text = folderSource ? folderSource(slot) : nullptr;
    if (text == nullptr)
        return record;
    std::string rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string line = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
        const size_t first = line.find('\t');
        const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos)
            record.push_back({line, "", ""});
        else
            record.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                              line.substr(second + 1)});
    }
    return record;
}

// The record below a slot's line: "kind: detail -> outcome", indented.
void PrintRecord(const std::vector<Attempt>& record) {
    for (const Attempt& a : record)
        std::printf("     %s%s%s -> %s\n", a.kind.c_str(), a.detail.empty() ? "" : ": ",
                    a.detail.c_str(), a.outcome.c_str());
}

std::string JsonRecord(const std::vector<Attempt>& record) {
    std::string out = "[";
    for (size_t i = 0; i < record.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"kind\": " + JsonString(record[i].kind) +
               ", \"detail\": " + JsonString(record[i].detail) +
               ", \"outcome\": " + JsonString(record[i].outcome) + "}";
    return out + "]";
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
    bool explain = false;
    bool oneSlot = false;
    std::string slotText;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            json = true;
        } else if (argument == "--explain") {
            explain = true;
        } else if (argument == "--slot") {
            if (i + 1 == argc) {
                std::fprintf(stderr, "folderdump: --slot needs a slot number or name\n");
                return kUsageFailed;
            }
            oneSlot = true;
            slotText = argv[++i];
        } else if (argument == "--help" || argument == "-h" || argument == "/?") {
            std::printf("%s", kUsage);
            return 0;
        } else if (argument.compare(0, 1, "-") == 0) {
            std::fprintf(stderr, "folderdump: unknown option %s; %s", argument.c_str(), kUsage);
            return kUsageFailed;
        } else if (!library.empty()) {
            std::fprintf(stderr, "folderdump: one library only, not %s and %s\n", library.c_str(),
                         argument.c_str());
            return kUsageFailed;
        } else {
            library = argument;
        }
    }
    if (json && oneSlot) {
        std::fprintf(stderr, "folderdump: --json and --slot do not go together\n");
        return kUsageFailed;
    }
    if (library.empty())
        library = OwnFolder() + "Quellin.dll";

    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "folderdump: cannot load %s: %s\n", library.c_str(),
                     ErrorText(error).c_str());
        return kLibraryFailed;
    }
    auto getFolder = reinterpret_cast<PFNQUELLINGETFOLDER>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinGetFolder")));
    auto folderName = reinterpret_cast<PFNQUELLINFOLDERNAME>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinFolderName")));
    if (getFolder == nullptr || folderName == nullptr) {
        std::fprintf(stderr, "folderdump: %s does not export the folder table\n", library.c_str());
        FreeLibrary(module);
        return kLibraryFailed;
    }
    auto folderSource = reinterpret_cast<PFNQUELLINFOLDERSOURCE>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinFolderSource")));
    if (explain && folderSource == nullptr) {
        std::fprintf(stderr, "folderdump: %s does not record where its folders come from\n",
                     library.c_str());
        FreeLibrary(module);
        return kLibraryFailed;
    }

    if (oneSlot) {
        DWORD slot = 0;
        int result = 0;
        if (FindSlot(folderName, slotText, slot)) {
            std::printf("%s\n", ReadSlot(getFolder, slot).c_str());
            if (explain)
                PrintRecord(ReadRecord(folderSource, slot));
        } else {
            std::fprintf(stderr, "folderdump: %s has no slot '%s'\n", library.c_str(),
                         slotText.c_str());
            result = kUsageFailed;
        }
        FreeLibrary(module);
        return result;
    }

    // Every slot the library names, in order.
    if (json)
        std::printf("[\n");
    for (DWORD slot = 0; folderName(slot) != nullptr; ++slot) {
        std::string value = ReadSlot(getFolder, slot);
        if (json) {
            std::string record;
            if (folderSource != nullptr)
                record = ", \"record\": " + JsonRecord(ReadRecord(folderSource, slot));
            std::printf("  {\"slot\": %lu, \"name\": \"%s\", \"value\": %s%s}%s\n",
                        static_cast<unsigned long>(slot), folderName(slot),
                        JsonString(value).c_str(), record.c_str(),
                        folderName(slot + 1) != nullptr ? "," : "");
        } else {
            std::printf("%2lu %-22s %s\n", static_cast<unsigned long>(slot), folderName(slot),
                        value.c_str());
            if (explain)
                PrintRecord(ReadRecord(folderSource, slot));
        }
    }
    if (json)
        std::printf("]\n");
    FreeLibrary(module);
    return 0;
}
