// Prints the folder table that Quellin.dll resolved on this machine, as a support report: what
// the attach saw (the library's attach record), then every slot, number, name and value, one
// slot per line, with a line of flags below a slot an installer should look at twice; or the
// same as one JSON object with --json; or, with --slot, one slot's value alone. --explain adds
// below each slot why it holds what it holds: every source the library tried, in order, with
// what came of it, the one that answered last. The JSON always carries the records.
//
//   folderdump [--explain] [--json | --slot NUMBER|NAME] [path\to\Quellin.dll]
//
// Without a path the library beside this program is loaded. The library resolves its table
// while it is loaded, with the process's current directory deciding where it looks for the
// installation source's "setup\shfolder.dll".
//
// Exit codes: 0 done; 1 the library cannot be loaded or does not export the folder table; 2 a
// command line it does not understand, or a slot that the library does not have. Every
// failure is one line on the standard error; with --json a library that cannot be used still
// gives an object, with an "error" member.
//
// The JSON form (its "formatVersion" is 1; the integration guide describes it):
//   {"format": "quellin-folderdump", "formatVersion": 1,
//    "tool": {"name": "folderdump", "version": "..."},
//    "library": {"path": "...", "version": "..."},
//    "attach": {"currentDirectory": ..., "folderService": {...}, "windows": {...}, "wow64": ...,
//               "codePage": ..., "terminalServer": ..., "durationMs": ..., "record": [...]},
//    "slots": [{"slot": 0, "name": "...", "value": "...", "wideValue": "..." (when it differs),
//               "flags": [...], "record": [{"kind", "detail", "outcome", "error", "text"}]}]}
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
const int kFormatVersion = 1;

const char kUsage[] =
    "usage: folderdump [--explain] [--json | --slot NUMBER|NAME] [path\\to\\Quellin.dll]\n";

// Windows' text for an error code, on one line, with the code.
std::string ErrorMessage(DWORD error) {
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

std::string Utf8(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    const int length = static_cast<int>(wide.size());
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), length, &out[0], bytes, nullptr, nullptr);
    return out;
}

// ANSI text as UTF-8, for JSON.
std::string ToUtf8(const std::string& ansi) {
    if (ansi.empty())
        return ansi;
    const int length = static_cast<int>(ansi.size());
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), length, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), length, &w[0], wide);
    return Utf8(w);
}

// A JSON string of UTF-8 text.
std::string JsonUtf8(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
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

std::string JsonString(const std::string& ansi) {
    return JsonUtf8(ToUtf8(ansi));
}

// One line of a record: "kind<TAB>detail<TAB>outcome".
struct Attempt {
    std::string kind;
    std::string detail;
    std::string outcome;
};

std::vector<Attempt> ParseRecord(const char* text) {
    std::vector<Attempt> record;
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

// The stable code of an outcome, by the words it begins with.
const char* OutcomeCode(const std::string& outcome) {
    struct Code {
        const char* begins;
        const char* code;
    };
    static const Code kCodes[] = {
        {"answered without a terminated path", "unterminated"},
        {"answered", "answered"},
        {"failed", "failed"},
        {"key not opened", "failed"},
        {"missing", "missing"},
        {"empty", "empty"},
        {"too long", "too-long"},
        {"write test failed", "write-test-failed"},
        {"not a full path", "not-a-full-path"},
        {"holds characters the ANSI code page cannot write", "cannot-be-written-in-ansi"},
        {"the ANSI code page writes the name only as", "cannot-be-written-in-ansi"},
        {"not converted to the ANSI code page", "not-converted"},
        {"not a valid path", "not-a-valid-path"},
        {"no IDAPI32.DLL", "file-missing"},
        {"known, but not converted to a path", "not-converted"},
        {"no folder", "no-folder"},
        {"not asked", "not-asked"},
        {"present", "present"},
        {"no source", "none"},
    };
    for (const Code& c : kCodes)
        if (outcome.compare(0, std::strlen(c.begins), c.begins) == 0)
            return c.code;
    return "other";
}

// The Win32 error ("error 5") or HRESULT ("0x80004005") an outcome names, as JSON; null when
// it names none.
std::string OutcomeError(const std::string& outcome) {
    const size_t error = outcome.find("error ");
    if (error != std::string::npos && outcome.find_first_of("0123456789", error) == error + 6)
        return std::to_string(std::strtoul(outcome.c_str() + error + 6, nullptr, 10));
    const size_t hex = outcome.find("failed: 0x");
    if (hex != std::string::npos)
        return std::to_string(std::strtoul(outcome.c_str() + hex + 10, nullptr, 16));
    return "null";
}

// A slot's record, each entry with its outcome's code and error; the attach record's facts
// (`facts`) with their kind, detail and text only.
std::string JsonRecord(const std::vector<Attempt>& record, bool facts = false) {
    std::string out = "[";
    for (size_t i = 0; i < record.size(); ++i) {
        out += std::string(i ? ", " : "") + "{\"kind\": " + JsonString(record[i].kind) +
               ", \"detail\": " + JsonString(record[i].detail);
        if (!facts)
            out += std::string(", \"outcome\": \"") + OutcomeCode(record[i].outcome) +
                   "\", \"error\": " + OutcomeError(record[i].outcome);
        out += ", \"text\": " + JsonString(record[i].outcome) + "}";
    }
    return out + "]";
}

// A record indented below its heading: "kind: detail -> outcome".
void PrintRecord(const std::vector<Attempt>& record) {
    for (const Attempt& a : record)
        std::printf("     %s%s%s -> %s\n", a.kind.c_str(), a.detail.empty() ? "" : ": ",
                    a.detail.c_str(), a.outcome.c_str());
}

// The outcome of the attach record's line of that kind; empty when it has none.
std::string AttachFact(const std::vector<Attempt>& record, const char* kind) {
    for (const Attempt& a : record)
        if (a.kind == kind)
            return a.outcome;
    return std::string();
}

std::string JsonBool(bool value) {
    return value ? "true" : "false";
}

// The attach record as fields, with the record itself beside them.
std::string JsonAttach(const std::vector<Attempt>& record) {
    if (record.empty())
        return "null";
    std::string servicePath;
    for (const Attempt& a : record)
        if (a.kind == "folder service")
            servicePath = a.detail;
    const std::string service = AttachFact(record, "folder service");
    const char* serviceOutcome = service.compare(0, 31, "loaded without SHGetFolderPathA") == 0
                                     ? "loaded-without-function"
                                 : service.compare(0, 7, "loaded:") == 0     ? "loaded"
                                 : service.compare(0, 10, "not loaded") == 0 ? "not-loaded"
                                                                             : "not-looked-for";
    const size_t colon = service.find(": ");
    const std::string module =
        std::string(serviceOutcome).compare(0, 6, "loaded") == 0 && colon != std::string::npos
            ? JsonString(service.substr(colon + 2))
            : "null";
    const std::string windows = AttachFact(record, "windows");
    unsigned major = 0, minor = 0, build = 0, platform = 0;
    const bool versioned =
        std::sscanf(windows.c_str(), "%u.%u build %u", &major, &minor, &build) == 3;
    const size_t platformAt = windows.find("(platform ");
    if (platformAt != std::string::npos)
        platform =
            static_cast<unsigned>(std::strtoul(windows.c_str() + platformAt + 10, nullptr, 10));
    const std::string wow64 = AttachFact(record, "wow64");
    const std::string duration = AttachFact(record, "attach");
    const std::string directory = AttachFact(record, "current directory");
    const bool directoryRead =
        directory.compare(0, 6, "failed") != 0 && directory.compare(0, 8, "too long") != 0;
    std::string out = "{\"currentDirectory\": ";
    out += directoryRead ? JsonString(directory) : "null";
    out += ", \"folderService\": {\"path\": " +
           (servicePath.compare(0, 1, "(") == 0 ? std::string("null") : JsonString(servicePath)) +
           ", \"outcome\": \"" + serviceOutcome + "\", \"module\": " + module +
           ", \"error\": " + OutcomeError(service) + ", \"text\": " + JsonString(service) + "}";
    if (versioned)
        out += ", \"windows\": {\"major\": " + std::to_string(major) +
               ", \"minor\": " + std::to_string(minor) + ", \"build\": " + std::to_string(build) +
               ", \"platform\": " + std::to_string(platform) +
               ", \"text\": " + JsonString(windows) + "}";
    else
        out += ", \"windows\": null";
    out += ", \"wow64\": " + JsonBool(wow64.compare(0, 5, "a 32-") == 0);
    out += ", \"codePage\": " +
           std::to_string(std::strtoul(AttachFact(record, "code page").c_str(), nullptr, 10));
    out += ", \"terminalServer\": " + JsonBool(AttachFact(record, "terminal server") == "yes");
    out += ", \"durationMs\": " + std::to_string(std::strtoul(duration.c_str(), nullptr, 10));
    out += ", \"record\": " + JsonRecord(record, true) + "}";
    return out;
}

// The library's version, from its attach record ("version 1.1.0"); empty when it has none.
std::string LibraryVersion(const std::vector<Attempt>& record) {
    const std::string library = AttachFact(record, "library");
    return library.compare(0, 8, "version ") == 0 ? library.substr(8) : std::string();
}

std::string ReadSlot(PFNQUELLINGETFOLDER getFolder, DWORD slot) {
    DWORD needed = getFolder(slot, nullptr, 0);
    std::string text(needed, '\0');
    DWORD length = getFolder(slot, &text[0], needed);
    text.resize(length < needed ? length : 0);
    return text;
}

std::wstring ReadSlotW(PFNQUELLINGETFOLDERW getFolder, DWORD slot) {
    DWORD needed = getFolder(slot, nullptr, 0);
    std::wstring text(needed, L'\0');
    DWORD length = getFolder(slot, &text[0], needed);
    text.resize(length < needed ? length : 0);
    return text;
}

// What an installer should look at twice in a slot: a folder on a network share, one that does
// not exist now, one the attach made, one named by its short name because the ANSI code page
// cannot write its name, an untested fallback. Only the existence is asked of Windows.
std::vector<const char*> Flags(const std::string& value, const std::vector<Attempt>& record) {
    std::vector<const char*> flags;
    if (value.empty())
        return flags;
    const std::string answer = record.empty() ? std::string() : record.back().outcome;
    if (value.compare(0, 2, "\\\\") == 0)
        flags.push_back("network");
    const DWORD attributes = GetFileAttributesA(value.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        flags.push_back("missing");
    if (answer.find(", created") != std::string::npos)
        flags.push_back("created");
    if (answer.find("by its short name") != std::string::npos)
        flags.push_back("short-name");
    if (answer.find("untested") != std::string::npos)
        flags.push_back("untested");
    return flags;
}

std::string Joined(const std::vector<const char*>& flags, const char* separator) {
    std::string text;
    for (size_t i = 0; i < flags.size(); ++i)
        text += std::string(i ? separator : "") + flags[i];
    return text;
}

std::string JsonLibrary(const std::string& path, const std::string& version) {
    return "{\"path\": " + JsonString(path) +
           ", \"version\": " + (version.empty() ? std::string("null") : JsonUtf8(version)) + "}";
}

std::string JsonHead() {
    return std::string("{\"format\": \"quellin-folderdump\", \"formatVersion\": ") +
           std::to_string(kFormatVersion) +
           ", \"tool\": {\"name\": \"folderdump\", \"version\": \"" QUELLIN_VERSION_TEXT "\"}";
}

// One line on the standard error; with --json, an object with the error on the standard
// output as well.
int LibraryFailure(bool json, const std::string& library, const char* code, DWORD error,
                   const std::string& text) {
    std::fprintf(stderr, "folderdump: %s\n", text.c_str());
    if (json)
        std::printf("%s, \"library\": %s, \"error\": {\"code\": \"%s\", \"error\": %s, \"text\": "
                    "%s}}\n",
                    JsonHead().c_str(), JsonLibrary(library, "").c_str(), code,
                    error != 0 ? std::to_string(error).c_str() : "null", JsonString(text).c_str());
    return kLibraryFailed;
}

template <typename F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
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
        return LibraryFailure(json, library, "cannot-load", error,
                              "cannot load " + library + ": " + ErrorMessage(error));
    }
    auto getFolder = Export<PFNQUELLINGETFOLDER>(module, "QuellinGetFolder");
    auto folderName = Export<PFNQUELLINFOLDERNAME>(module, "QuellinFolderName");
    if (getFolder == nullptr || folderName == nullptr) {
        FreeLibrary(module);
        return LibraryFailure(json, library, "no-folder-table", 0,
                              library + " does not export the folder table");
    }
    auto folderSource = Export<PFNQUELLINFOLDERSOURCE>(module, "QuellinFolderSource");
    if (explain && folderSource == nullptr) {
        FreeLibrary(module);
        return LibraryFailure(json, library, "no-records", 0,
                              library + " does not record where its folders come from");
    }
    // Libraries before the attach record and the wide accessor lack them; the dump goes on.
    auto attachRecord = Export<PFNQUELLINATTACHRECORD>(module, "QuellinAttachRecord");
    auto getFolderW = Export<PFNQUELLINGETFOLDERW>(module, "QuellinGetFolderW");
    const std::vector<Attempt> attach = ParseRecord(attachRecord ? attachRecord() : nullptr);
    auto record = [folderSource](DWORD slot) {
        return ParseRecord(folderSource ? folderSource(slot) : nullptr);
    };

    if (oneSlot) {
        DWORD slot = 0;
        int result = 0;
        if (FindSlot(folderName, slotText, slot)) {
            std::printf("%s\n", ReadSlot(getFolder, slot).c_str());
            if (explain)
                PrintRecord(record(slot));
        } else {
            std::fprintf(stderr, "folderdump: %s has no slot '%s'\n", library.c_str(),
                         slotText.c_str());
            result = kUsageFailed;
        }
        FreeLibrary(module);
        return result;
    }

    if (json) {
        std::printf("%s,\n \"library\": %s,\n \"attach\": %s,\n \"slots\": [\n", JsonHead().c_str(),
                    JsonLibrary(library, LibraryVersion(attach)).c_str(),
                    JsonAttach(attach).c_str());
    } else if (!attach.empty()) {
        std::printf("attach\n");
        PrintRecord(attach);
    }
    // Every slot the library names, in order.
    for (DWORD slot = 0; folderName(slot) != nullptr; ++slot) {
        const std::string value = ReadSlot(getFolder, slot);
        const std::vector<Attempt> why = record(slot);
        const std::vector<const char*> flags = Flags(value, why);
        if (json) {
            std::string wide;
            if (getFolderW != nullptr) {
                const std::string utf8 = Utf8(ReadSlotW(getFolderW, slot));
                if (utf8 != ToUtf8(value))
                    wide = ", \"wideValue\": " + JsonUtf8(utf8);
            }
            std::string flagList = "[";
            for (size_t i = 0; i < flags.size(); ++i)
                flagList += std::string(i ? ", " : "") + "\"" + flags[i] + "\"";
            std::printf("  {\"slot\": %lu, \"name\": \"%s\", \"value\": %s%s, \"flags\": %s], "
                        "\"record\": %s}%s\n",
                        static_cast<unsigned long>(slot), folderName(slot),
                        JsonString(value).c_str(), wide.c_str(), flagList.c_str(),
                        JsonRecord(why).c_str(), folderName(slot + 1) != nullptr ? "," : "");
        } else {
            std::printf("%2lu %-22s %s\n", static_cast<unsigned long>(slot), folderName(slot),
                        value.c_str());
            if (!flags.empty())
                std::printf("     flags: %s\n", Joined(flags, ", ").c_str());
            if (explain)
                PrintRecord(why);
        }
    }
    if (json)
        std::printf(" ]}\n");
    FreeLibrary(module);
    return 0;
}
