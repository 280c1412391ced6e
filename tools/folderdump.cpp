// Prints the folder table that Quellin.dll resolved on this machine, as a support report: what
// the attach saw (the library's attach record) and the context folderdump gathered itself, then
// every slot, number, name and value, one slot per line, with a line of flags below a slot an
// installer should look at twice and a line of trust; or the same as one JSON object with
// --json (on the standard output) or --json-file FILE (into FILE, beside the text on the
// standard output: both forms from one attach); or, with --slot, one slot's value alone.
// --explain adds below each slot why it holds what it holds: every source the library tried,
// in order, with what came of it, the one that answered last. The JSON always carries the
// records.
//
//   folderdump [--explain] [--json | --json-file FILE | --slot NUMBER|NAME] [path\to\Quellin.dll]
//
// Without a path the library beside this program is loaded. The library resolves its table
// while it is loaded, with the process's current directory deciding where it looks for the
// installation source's "setup\shfolder.dll". Every fact is read before the library is loaded
// or from the library's records, which it reads as data (QuellinRecordEntry), never from their
// text; flags describe the machine as it was before the attach: a folder the attach created
// was missing, and says "created by this attach".
//
// Exit codes: 0 done; 1 the library cannot be loaded or does not export the folder table; 2 a
// command line it does not understand, a slot that the library does not have, or a JSON file
// that cannot be written. Every failure is one line on the standard error; with --json a
// library that cannot be used still gives an object, with an "error" member.
//
// The JSON form (its "formatVersion" is 2; the integration guide describes every member):
//   {"format": "quellin-folderdump", "formatVersion": 2,
//    "tool": {"name": "folderdump", "version": "..."},
//    "library": {"path": "...", "version": "..."},
//    "context": {"userName": {...}, "profileFolder": {...}, "elevated": {...},
//                "shfolder": {...}},
//    "attach": {"currentDirectory": ..., "folderService": {...}, "windows": {...}, "wow64": ...,
//               "codePage": ..., "terminalServer": ..., "durationMs": ..., "record": [...]},
//    "slots": [{"slot": 0, "name": "...", "value": "...", "wideValue": "..." (when it differs),
//               "flags": [...], "trust": {...}, "record": [{"kind", "detail", "outcome",
//               "error", "text", "code", "qualities", "win32Error", "hresult", "valueType",
//               "stored", "expanded", "folder", "offending", "baseSlot"}]}]}
#include "Quellin.h"
#include "JsonText.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kLibraryFailed = 1;
const int kUsageFailed = 2;
const int kFormatVersion = 2;

const char kUsage[] = "usage: folderdump [--explain] [--json | --json-file FILE | --slot "
                      "NUMBER|NAME] [path\\to\\Quellin.dll]\n";

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

std::string JsonString(const std::string& ansi) {
    return JsonUtf8(ToUtf8(ansi));
}

std::string JsonWide(const std::wstring& wide) {
    return JsonUtf8(Utf8(wide));
}

// A wide text, or null when it is empty.
std::string JsonWideOrNull(const std::wstring& wide) {
    return wide.empty() ? std::string("null") : JsonWide(wide);
}

// One entry of a record, in both character types: the ANSI one for the text on the console,
// the wide one for the JSON.
struct Entry {
    QUELLIN_RECORD_ENTRYA a;
    QUELLIN_RECORD_ENTRYW w;
};

struct Exports {
    PFNQUELLINRECORDENTRY entry = nullptr;
    PFNQUELLINRECORDENTRYW entryW = nullptr;
};

// A record as the library gives it, entry by entry; empty from a library without the export.
std::vector<Entry> ReadRecord(const Exports& exports, DWORD record) {
    std::vector<Entry> entries;
    if (exports.entry == nullptr || exports.entryW == nullptr)
        return entries;
    for (DWORD index = 0;; ++index) {
        Entry e;
        std::memset(&e, 0, sizeof e);
        e.a.cbSize = sizeof e.a;
        e.w.cbSize = sizeof e.w;
        if (!exports.entry(record, index, &e.a) || !exports.entryW(record, index, &e.w))
            break;
        entries.push_back(e);
    }
    return entries;
}

const char* KindText(DWORD kind) {
    switch (kind) {
#define FOLDERDUMP_KIND(number, constant, text)                                                    \
    case constant:                                                                                 \
        return text;
        QUELLIN_RECORD_KINDS(FOLDERDUMP_KIND)
#undef FOLDERDUMP_KIND
    default:
        return "other";
    }
}

const char* OutcomeCode(DWORD outcome) {
    switch (outcome) {
#define FOLDERDUMP_OUTCOME(number, constant, code)                                                 \
    case constant:                                                                                 \
        return code;
        QUELLIN_RECORD_OUTCOMES(FOLDERDUMP_OUTCOME)
#undef FOLDERDUMP_OUTCOME
    default:
        return "other";
    }
}

// The outcome in the words of format version 1, whose readers keep working.
const char* FirstVersionOutcome(DWORD outcome) {
    switch (outcome) {
    case QUELLIN_OUTCOME_ANSWERED:
    case QUELLIN_OUTCOME_WRITE_TESTED:
    case QUELLIN_OUTCOME_UNTESTED:
    case QUELLIN_OUTCOME_CREATED:
    case QUELLIN_OUTCOME_ALREADY_THERE:
    case QUELLIN_OUTCOME_NOT_CREATED:
    case QUELLIN_OUTCOME_SHORT_NAME:
    case QUELLIN_OUTCOME_EXPANDED:
    case QUELLIN_OUTCOME_KEPT:
        return "answered";
    case QUELLIN_OUTCOME_MISSING_KEY:
    case QUELLIN_OUTCOME_MISSING_VALUE:
        return "missing";
    case QUELLIN_OUTCOME_INVALID_PATH:
        return "not-a-valid-path";
    case QUELLIN_OUTCOME_ANSI_UNWRITABLE:
    case QUELLIN_OUTCOME_ANSI_LOOK_ALIKE:
        return "cannot-be-written-in-ansi";
    case QUELLIN_OUTCOME_NO_SOURCE:
        return "none";
    default:
        return OutcomeCode(outcome);
    }
}

// Whether the outcome is that of an answer the slot took.
bool Answering(DWORD outcome) {
    return std::strcmp(FirstVersionOutcome(outcome), "answered") == 0 &&
           outcome != QUELLIN_OUTCOME_KEPT;
}

struct Quality {
    DWORD bit;
    const char* code;
};
const Quality kQualities[] = {
    {QUELLIN_ANSWER_EXPANDED, "expanded"},
    {QUELLIN_ANSWER_SHORT_NAME, "short-name"},
    {QUELLIN_ANSWER_WRITE_TESTED, "write-tested"},
    {QUELLIN_ANSWER_HOLDS_FILE, "holds-file"},
    {QUELLIN_ANSWER_UNTESTED, "untested"},
    {QUELLIN_ANSWER_CREATED, "created"},
    {QUELLIN_ANSWER_ALREADY_THERE, "already-there"},
    {QUELLIN_ANSWER_NOT_CREATED, "not-created"},
    {QUELLIN_ANSWER_FAILED_TEXT, "failed-conversion-text"},
    {QUELLIN_ENTRY_TEXT_CUT, "text-cut"},
};

std::string ValueTypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "null";
    case REG_SZ:
        return "\"REG_SZ\"";
    case REG_EXPAND_SZ:
        return "\"REG_EXPAND_SZ\"";
    case REG_BINARY:
        return "\"REG_BINARY\"";
    case REG_DWORD:
        return "\"REG_DWORD\"";
    case REG_MULTI_SZ:
        return "\"REG_MULTI_SZ\"";
    default:
        return "\"" + std::to_string(type) + "\"";
    }
}

std::string JsonEntry(const Entry& e, bool facts) {
    const QUELLIN_RECORD_ENTRYW& w = e.w;
    std::vector<std::string> qualities;
    for (const Quality& q : kQualities)
        if (w.qualities & q.bit)
            qualities.push_back(JsonUtf8(q.code));
    // Format version 1's error: the Win32 error, else the HRESULT.
    const std::string error = w.error != 0 ? std::to_string(w.error)
                              : w.result != S_OK
                                  ? std::to_string(static_cast<unsigned long>(w.result))
                                  : std::string("null");
    std::string offending = "null";
    if (w.offendingPosition != QUELLIN_NONE)
        offending = JsonObject()
                        .Add("character",
                             JsonString(std::string(1, static_cast<char>(e.a.offendingCharacter))))
                        .Add("code", std::to_string(w.offendingCharacter))
                        .Add("position", std::to_string(w.offendingPosition))
                        .Text();
    JsonObject entry;
    entry.Add("kind", JsonUtf8(KindText(w.kind)))
        .Add("detail", JsonWide(w.detail))
        .Add("outcome", JsonUtf8(FirstVersionOutcome(w.outcome)))
        .Add("error", error)
        .Add("text", JsonWide(w.text))
        .Add("code", JsonUtf8(OutcomeCode(w.outcome)))
        .Add("qualities", JsonList(qualities))
        .Add("win32Error", JsonNumber(w.error, w.error != 0))
        .Add("hresult", JsonNumber(static_cast<unsigned long>(w.result), w.result != S_OK))
        .Add("valueType", ValueTypeName(w.valueType))
        .Add("stored", JsonWideOrNull(w.stored))
        .Add("expanded", JsonWideOrNull(w.expanded))
        .Add("folder", JsonWideOrNull(w.folder))
        .Add("offending", offending)
        .Add("baseSlot", JsonNumber(w.baseSlot, w.baseSlot != QUELLIN_NONE));
    if (facts)
        entry.Add("facts", JsonList({std::to_string(w.facts[0]), std::to_string(w.facts[1]),
                                     std::to_string(w.facts[2]), std::to_string(w.facts[3])}));
    return entry.Text();
}

std::string JsonRecord(const std::vector<Entry>& record, bool facts = false) {
    std::vector<std::string> entries;
    for (const Entry& e : record)
        entries.push_back(JsonEntry(e, facts));
    return JsonList(entries);
}

// A record indented below its heading: "kind: detail -> outcome".
void PrintRecord(const std::vector<Entry>& record) {
    for (const Entry& e : record)
        std::printf("     %s%s%s -> %s\n", KindText(e.a.kind), e.a.detail[0] ? ": " : "",
                    e.a.detail, e.a.text);
}

// The attach record's entry of that kind; null when it has none.
const Entry* AttachFact(const std::vector<Entry>& record, DWORD kind) {
    for (const Entry& e : record)
        if (e.a.kind == kind)
            return &e;
    return nullptr;
}

// The attach record as fields, with the record itself beside them.
std::string JsonAttach(const std::vector<Entry>& record) {
    if (record.empty())
        return "null";
    const Entry* directory = AttachFact(record, QUELLIN_KIND_CURRENT_DIRECTORY);
    const Entry* service = AttachFact(record, QUELLIN_KIND_FOLDER_SERVICE);
    const Entry* windows = AttachFact(record, QUELLIN_KIND_WINDOWS);
    const Entry* wow64 = AttachFact(record, QUELLIN_KIND_WOW64);
    const Entry* codePage = AttachFact(record, QUELLIN_KIND_CODE_PAGE);
    const Entry* terminalServer = AttachFact(record, QUELLIN_KIND_TERMINAL_SERVER);
    const Entry* attach = AttachFact(record, QUELLIN_KIND_ATTACH);
    JsonObject out;
    out.Add("currentDirectory", directory && directory->w.outcome == QUELLIN_OUTCOME_ANSWERED
                                    ? JsonWide(directory->w.folder)
                                    : "null");
    if (service) {
        const DWORD outcome = service->w.outcome;
        const bool looked = outcome != QUELLIN_OUTCOME_NOT_LOOKED_FOR;
        const bool loaded =
            outcome == QUELLIN_OUTCOME_LOADED || outcome == QUELLIN_OUTCOME_LOADED_WITHOUT_FUNCTION;
        out.Add("folderService",
                JsonObject()
                    .Add("path", looked ? JsonWide(service->w.detail) : "null")
                    .Add("outcome", JsonUtf8(OutcomeCode(outcome)))
                    .Add("module", loaded ? JsonWideOrNull(service->w.folder) : "null")
                    .Add("error", JsonNumber(service->w.error, service->w.error != 0))
                    .Add("text", JsonWide(service->w.text))
                    .Text());
    } else {
        out.Add("folderService", "null");
    }
    if (windows && windows->w.outcome == QUELLIN_OUTCOME_ANSWERED)
        out.Add("windows", JsonObject()
                               .Add("major", std::to_string(windows->w.facts[0]))
                               .Add("minor", std::to_string(windows->w.facts[1]))
                               .Add("build", std::to_string(windows->w.facts[2]))
                               .Add("platform", std::to_string(windows->w.facts[3]))
                               .Add("text", JsonWide(windows->w.text))
                               .Text());
    else
        out.Add("windows", "null");
    out.Add("wow64", JsonBool(wow64 && wow64->w.facts[0] != 0));
    out.Add("codePage", JsonNumber(codePage ? codePage->w.facts[0] : 0));
    out.Add("terminalServer", JsonBool(terminalServer && terminalServer->w.facts[0] != 0));
    out.Add("durationMs", JsonNumber(attach ? attach->w.facts[0] : 0));
    out.Add("record", JsonRecord(record, true));
    return out.Text();
}

// The library's version, from its attach record; empty when it has none.
std::string LibraryVersion(const std::vector<Entry>& record) {
    const Entry* library = AttachFact(record, QUELLIN_KIND_LIBRARY);
    return library ? std::string(library->a.stored) : std::string();
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

template <typename F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The context, gathered by folderdump itself before the library is loaded: each fact with the
// call that gave it and its error.
struct ContextFact {
    const char* call = "";
    bool known = false;
    std::wstring text;
    bool flag = false; // for a yes-or-no fact
    DWORD error = 0;
    const char* notAsked = nullptr; // why the call was not made
};

struct ShfolderFacts {
    std::string path;
    bool exists = false;
    DWORD attributesError = 0;
    bool sized = false;
    DWORD size = 0;
    bool pe = false; // the header was read and is a PE header
    WORD machine = 0;
    std::string header; // what the header read came to, when it is no PE header
    bool versioned = false;
    DWORD versionMS = 0, versionLS = 0;
};

struct Context {
    ContextFact userName;
    ContextFact profileFolder;
    ContextFact elevated;
    ShfolderFacts shfolder;
};

// A module loaded for one call, freed when it goes.
class ModuleForCall {
  public:
    explicit ModuleForCall(const char* name) : module_(LoadLibraryA(name)) {}
    ~ModuleForCall() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    ModuleForCall(const ModuleForCall&) = delete;
    ModuleForCall& operator=(const ModuleForCall&) = delete;
    template <typename F> F Function(const char* name) const {
        return module_ == nullptr ? nullptr : Export<F>(module_, name);
    }

  private:
    HMODULE module_;
};

typedef BOOL(WINAPI* PFNGETUSERNAMEW)(LPWSTR, LPDWORD);
typedef HRESULT(WINAPI* PFNSHGETFOLDERPATHW)(HWND, int, HANDLE, DWORD, LPWSTR);
typedef BOOL(WINAPI* PFNOPENPROCESSTOKEN)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* PFNGETTOKENINFORMATION)(HANDLE, int, LPVOID, DWORD, PDWORD);
typedef DWORD(WINAPI* PFNGETFILEVERSIONINFOSIZEA)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* PFNGETFILEVERSIONINFOA)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* PFNVERQUERYVALUEA)(LPCVOID, LPCSTR, LPVOID*, PUINT);

const int kTokenElevation = 20; // TOKEN_INFORMATION_CLASS TokenElevation, NT 6 and later
const int kCsidlProfile = 0x0028;

// Whether the PE header of the file says which machine it is built for: read from the file,
// the file not loaded.
void ReadMachine(ShfolderFacts& facts) {
    HANDLE file = CreateFileA(facts.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        facts.header = "not opened: error " + std::to_string(GetLastError());
        return;
    }
    DWORD size = GetFileSize(file, nullptr);
    facts.sized = size != INVALID_FILE_SIZE;
    facts.size = facts.sized ? size : 0;
    BYTE dos[64] = {0};
    DWORD read = 0;
    if (!ReadFile(file, dos, sizeof dos, &read, nullptr) || read != sizeof dos || dos[0] != 'M' ||
        dos[1] != 'Z') {
        facts.header = "no MZ header";
    } else {
        const DWORD at = dos[0x3C] | (dos[0x3D] << 8) | (dos[0x3E] << 16) |
                         (static_cast<DWORD>(dos[0x3F]) << 24);
        BYTE pe[6] = {0};
        if (SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN) == at &&
            ReadFile(file, pe, sizeof pe, &read, nullptr) && read == sizeof pe && pe[0] == 'P' &&
            pe[1] == 'E' && pe[2] == 0 && pe[3] == 0) {
            facts.pe = true;
            facts.machine = static_cast<WORD>(pe[4] | (pe[5] << 8));
        } else {
            facts.header = "no PE header";
        }
    }
    CloseHandle(file);
}

void ReadFileVersion(ShfolderFacts& facts) {
    ModuleForCall version("version.dll");
    auto size = version.Function<PFNGETFILEVERSIONINFOSIZEA>("GetFileVersionInfoSizeA");
    auto info = version.Function<PFNGETFILEVERSIONINFOA>("GetFileVersionInfoA");
    auto query = version.Function<PFNVERQUERYVALUEA>("VerQueryValueA");
    if (size == nullptr || info == nullptr || query == nullptr)
        return;
    DWORD ignored = 0;
    const DWORD bytes = size(facts.path.c_str(), &ignored);
    if (bytes == 0)
        return;
    std::vector<BYTE> data(bytes);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (info(facts.path.c_str(), 0, bytes, data.data()) &&
        query(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) && fixed != nullptr &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        facts.versioned = true;
        facts.versionMS = fixed->dwFileVersionMS;
        facts.versionLS = fixed->dwFileVersionLS;
    }
}

Context GatherContext() {
    Context context;
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    const bool versioned = GetVersionExA(&version) != FALSE;
    const bool nt = versioned && version.dwPlatformId == VER_PLATFORM_WIN32_NT;

    ContextFact& user = context.userName;
    user.call = "GetUserNameW";
    if (!nt) {
        user.notAsked = "not the NT family";
    } else {
        ModuleForCall advapi("advapi32.dll");
        auto getUserName = advapi.Function<PFNGETUSERNAMEW>("GetUserNameW");
        WCHAR name[257] = {0};
        DWORD size = 257;
        if (getUserName == nullptr)
            user.notAsked = "advapi32.dll has no GetUserNameW";
        else if (getUserName(name, &size))
            user.known = true, user.text = name;
        else
            user.error = GetLastError();
    }

    ContextFact& profile = context.profileFolder;
    profile.call = "SHGetFolderPathW(CSIDL_PROFILE)";
    if (!nt || version.dwMajorVersion < 5) {
        profile.notAsked = "not NT 5 or later";
    } else {
        ModuleForCall shell("shell32.dll");
        auto folderPath = shell.Function<PFNSHGETFOLDERPATHW>("SHGetFolderPathW");
        WCHAR path[MAX_PATH] = {0};
        if (folderPath == nullptr) {
            profile.notAsked = "shell32.dll has no SHGetFolderPathW";
        } else {
            const HRESULT result = folderPath(nullptr, kCsidlProfile, nullptr, 0, path);
            if (result == S_OK)
                profile.known = true, profile.text = path;
            else
                profile.error = static_cast<DWORD>(result);
        }
    }

    ContextFact& elevated = context.elevated;
    elevated.call = "GetTokenInformation(TokenElevation)";
    if (!nt || version.dwMajorVersion < 6) {
        elevated.notAsked = "not NT 6 or later";
    } else {
        ModuleForCall advapi("advapi32.dll");
        auto openToken = advapi.Function<PFNOPENPROCESSTOKEN>("OpenProcessToken");
        auto tokenInformation = advapi.Function<PFNGETTOKENINFORMATION>("GetTokenInformation");
        HANDLE token = nullptr;
        if (openToken == nullptr || tokenInformation == nullptr) {
            elevated.notAsked = "advapi32.dll lacks the token calls";
        } else if (!openToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            elevated.error = GetLastError();
        } else {
            DWORD isElevated = 0;
            DWORD size = 0;
            if (tokenInformation(token, kTokenElevation, &isElevated, sizeof isElevated, &size))
                elevated.known = true, elevated.flag = isElevated != 0;
            else
                elevated.error = GetLastError();
            CloseHandle(token);
        }
    }

    ShfolderFacts& shfolder = context.shfolder;
    char directory[MAX_PATH] = {0};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
    if (length != 0 && length < MAX_PATH) {
        std::string base(directory, length);
        if (!base.empty() && base.back() != '\\')
            base += '\\';
        shfolder.path = base + "setup\\shfolder.dll";
        const DWORD attributes = GetFileAttributesA(shfolder.path.c_str());
        shfolder.exists =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        if (attributes == INVALID_FILE_ATTRIBUTES)
            shfolder.attributesError = GetLastError();
        if (shfolder.exists) {
            ReadMachine(shfolder);
            ReadFileVersion(shfolder);
        }
    }
    return context;
}

const char* MachineName(WORD machine) {
    switch (machine) {
    case 0x014C:
        return "i386";
    case 0x8664:
        return "x86-64";
    case 0x0200:
        return "ia64";
    case 0x01C4:
        return "arm";
    case 0xAA64:
        return "arm64";
    default:
        return nullptr;
    }
}

std::string VersionText(const ShfolderFacts& facts) {
    return std::to_string(HIWORD(facts.versionMS)) + "." + std::to_string(LOWORD(facts.versionMS)) +
           "." + std::to_string(HIWORD(facts.versionLS)) + "." +
           std::to_string(LOWORD(facts.versionLS));
}

std::string JsonFact(const ContextFact& fact, bool yesOrNo) {
    const std::string value = !fact.known ? std::string("null")
                              : yesOrNo   ? JsonBool(fact.flag)
                                          : JsonWide(fact.text);
    return JsonObject()
        .Add("value", value)
        .Add("call", JsonUtf8(fact.call))
        .Add("error", JsonNumber(fact.error, fact.error != 0))
        .Add("notAsked", fact.notAsked ? JsonUtf8(fact.notAsked) : "null")
        .Text();
}

std::string JsonContext(const Context& context) {
    const ShfolderFacts& s = context.shfolder;
    const char* machine = s.pe ? MachineName(s.machine) : nullptr;
    const std::string shfolder =
        JsonObject()
            .Add("path", s.path.empty() ? "null" : JsonString(s.path))
            .Add("exists", JsonBool(s.exists))
            .Add("error", JsonNumber(s.attributesError, s.attributesError != 0))
            .Add("size", JsonNumber(s.size, s.sized))
            .Add("machine", JsonNumber(s.machine, s.pe))
            .Add("machineName", machine ? JsonUtf8(machine) : "null")
            .Add("header", s.header.empty() ? "null" : JsonUtf8(s.header))
            .Add("fileVersion", s.versioned ? JsonUtf8(VersionText(s)) : "null")
            .Add("calls", JsonObject()
                              .Add("exists", JsonUtf8("GetFileAttributesA"))
                              .Add("size", JsonUtf8("GetFileSize"))
                              .Add("machine", JsonUtf8("ReadFile (the PE header)"))
                              .Add("fileVersion", JsonUtf8("GetFileVersionInfoA"))
                              .Text())
            .Text();
    return JsonObject()
        .Add("userName", JsonFact(context.userName, false))
        .Add("profileFolder", JsonFact(context.profileFolder, false))
        .Add("elevated", JsonFact(context.elevated, true))
        .Add("shfolder", shfolder)
        .Text();
}

std::string FactText(const ContextFact& fact, bool yesOrNo) {
    if (fact.notAsked)
        return std::string("not asked: ") + fact.notAsked;
    if (!fact.known)
        return "failed: error " + std::to_string(fact.error);
    if (yesOrNo)
        return fact.flag ? "yes" : "no";
    const std::string utf8 = Utf8(fact.text);
    std::string ansi(static_cast<size_t>(fact.text.size() * 2 + 1), '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, fact.text.c_str(), -1, &ansi[0],
                                          static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(bytes > 0 ? static_cast<size_t>(bytes - 1) : 0);
    return ansi;
}

void PrintContext(const Context& context) {
    std::printf("     context user name: %s -> %s\n", context.userName.call,
                FactText(context.userName, false).c_str());
    std::printf("     context profile folder: %s -> %s\n", context.profileFolder.call,
                FactText(context.profileFolder, false).c_str());
    std::printf("     context elevated: %s -> %s\n", context.elevated.call,
                FactText(context.elevated, true).c_str());
    const ShfolderFacts& s = context.shfolder;
    std::string text = !s.exists ? "no such file" : "exists";
    if (s.sized)
        text += ", " + std::to_string(s.size) + " bytes";
    if (s.pe) {
        const char* machine = MachineName(s.machine);
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04x", s.machine);
        text +=
            std::string(", machine ") + hex + (machine ? std::string(" (") + machine + ")" : "");
    } else if (!s.header.empty()) {
        text += ", " + s.header;
    }
    if (s.versioned)
        text += ", file version " + VersionText(s);
    std::printf("     context shfolder.dll: %s -> %s\n",
                s.path.empty() ? "(no current directory)" : s.path.c_str(), text.c_str());
}

// What the report says of one slot.
struct SlotReport {
    std::string value;
    std::wstring wide;
    std::vector<Entry> record;
    std::vector<const char*> flags;
    std::string trustJson;
    std::string trustText;
};

// The entry the slot's folder came from: the last answer the chain took; null for none.
const Entry* AnsweringEntry(const std::vector<Entry>& record) {
    for (size_t i = record.size(); i-- > 0;)
        if (Answering(record[i].w.outcome))
            return &record[i];
    return nullptr;
}

bool SameFolder(const std::wstring& left, const std::wstring& right) {
    std::wstring a = left, b = right;
    while (a.size() > 3 && a.back() == L'\\')
        a.pop_back();
    while (b.size() > 3 && b.back() == L'\\')
        b.pop_back();
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

bool Below(const std::wstring& folder, const std::wstring& base) {
    if (base.empty() || folder.size() < base.size())
        return false;
    if (!SameFolder(folder.substr(0, base.size()), base))
        return false;
    return folder.size() == base.size() || folder[base.size()] == L'\\' || base.back() == L'\\';
}

// Flags (the machine before the attach) and trust (how far the record proves the folder) of a
// slot, from its record; only the existence is asked of Windows.
void Judge(SlotReport& slot, const Context& context, PFNQUELLINFOLDERNAME folderName) {
    if (slot.value.empty())
        return;
    const Entry* answer = AnsweringEntry(slot.record);
    const DWORD qualities = answer ? answer->w.qualities : 0;
    const bool created = (qualities & QUELLIN_ANSWER_CREATED) != 0;
    const bool network = slot.value.compare(0, 2, "\\\\") == 0;
    const DWORD attributes = GetFileAttributesA(slot.value.c_str());
    const bool absent =
        attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (network)
        slot.flags.push_back("network");
    if (absent || created)
        slot.flags.push_back("missing");
    if (created)
        slot.flags.push_back("created");
    if (qualities & QUELLIN_ANSWER_SHORT_NAME)
        slot.flags.push_back("short-name");
    if (qualities & QUELLIN_ANSWER_UNTESTED)
        slot.flags.push_back("untested");

    const bool verified = (qualities & QUELLIN_ANSWER_WRITE_TESTED) != 0;
    const bool untested = !verified && !created;
    const bool derived =
        answer && answer->w.kind == QUELLIN_KIND_DEFAULT && answer->w.baseSlot != QUELLIN_NONE;
    const bool fallback = answer && answer->w.kind == QUELLIN_KIND_FALLBACK;
    const bool profileKnown = context.profileFolder.known;
    const bool outside = profileKnown && !Below(slot.wide, context.profileFolder.text);
    // The shell's answer, where the record holds one.
    const Entry* shell = nullptr;
    for (const Entry& e : slot.record)
        if (e.w.kind == QUELLIN_KIND_SHELL && e.w.stored[0] != L'\0')
            shell = &e;
    const bool differs = shell && !SameFolder(shell->w.stored, slot.wide);

    std::vector<std::string> words;
    if (verified)
        words.push_back("verified");
    if (untested)
        words.push_back("untested");
    if (derived)
        words.push_back("derived from slot " + std::to_string(answer->w.baseSlot) + " (" +
                        folderName(answer->w.baseSlot) + ")");
    if (fallback)
        words.push_back("fallback");
    if (created)
        words.push_back("created by this attach");
    if (network)
        words.push_back("network");
    if (outside)
        words.push_back("outside the user's profile");
    if (differs)
        words.push_back("differs from the shell's answer");
    for (size_t i = 0; i < words.size(); ++i)
        slot.trustText += (i ? ", " : "") + words[i];
    slot.trustJson = JsonObject()
                         .Add("verified", JsonBool(verified))
                         .Add("untested", JsonBool(untested))
                         .Add("derivedFrom", derived ? std::to_string(answer->w.baseSlot) : "null")
                         .Add("fallback", JsonBool(fallback))
                         .Add("created", JsonBool(created))
                         .Add("network", JsonBool(network))
                         .Add("outsideProfile", profileKnown ? JsonBool(outside) : "null")
                         .Add("differsFromShell", shell ? JsonBool(differs) : "null")
                         .Text();
}

std::string FlagText(const char* flag) {
    return std::strcmp(flag, "created") == 0 ? "created by this attach" : flag;
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

// Where the JSON goes: the standard output, or a file beside the text.
class JsonOut {
  public:
    bool Open(const std::string& file) {
        if (file.empty()) {
            out_ = stdout;
            return true;
        }
        out_ = std::fopen(file.c_str(), "wb");
        owned_ = out_ != nullptr;
        return owned_;
    }
    ~JsonOut() {
        if (owned_)
            std::fclose(out_);
    }
    JsonOut() = default;
    JsonOut(const JsonOut&) = delete;
    JsonOut& operator=(const JsonOut&) = delete;
    void Write(const std::string& text) const {
        if (out_ != nullptr)
            std::fputs(text.c_str(), out_);
    }

  private:
    FILE* out_ = nullptr;
    bool owned_ = false;
};

// One line on the standard error; with JSON, an object with the error as well.
int LibraryFailure(const JsonOut* json, const std::string& library, const char* code, DWORD error,
                   const std::string& text) {
    std::fprintf(stderr, "folderdump: %s\n", text.c_str());
    if (json != nullptr)
        json->Write(JsonHead() + ", \"library\": " + JsonLibrary(library, "") +
                    ", \"error\": {\"code\": \"" + code + "\", \"error\": " +
                    JsonNumber(error, error != 0) + ", \"text\": " + JsonString(text) + "}}\n");
    return kLibraryFailed;
}

} // namespace

int main(int argc, char** argv) {
    bool json = false;
    bool explain = false;
    bool oneSlot = false;
    std::string slotText;
    std::string library;
    std::string jsonFile;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            json = true;
        } else if (argument == "--json-file") {
            if (i + 1 == argc) {
                std::fprintf(stderr, "folderdump: --json-file needs a file name\n");
                return kUsageFailed;
            }
            jsonFile = argv[++i];
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
    if ((json || !jsonFile.empty()) && oneSlot) {
        std::fprintf(stderr, "folderdump: --json and --slot do not go together\n");
        return kUsageFailed;
    }
    if (json && !jsonFile.empty()) {
        std::fprintf(stderr, "folderdump: --json and --json-file do not go together\n");
        return kUsageFailed;
    }
    if (library.empty())
        library = OwnFolder() + "Quellin.dll";
    // The text goes to the standard output unless the JSON does.
    const bool text = !json;
    JsonOut jsonOut;
    const bool anyJson = json || !jsonFile.empty();
    if (anyJson && !jsonOut.Open(jsonFile)) {
        std::fprintf(stderr, "folderdump: cannot write %s\n", jsonFile.c_str());
        return kUsageFailed;
    }
    const JsonOut* jsonTo = anyJson ? &jsonOut : nullptr;

    // What folderdump reads of the machine itself, before the attach can change it.
    const Context context = oneSlot ? Context() : GatherContext();

    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) {
        const DWORD error = GetLastError();
        return LibraryFailure(jsonTo, library, "cannot-load", error,
                              "cannot load " + library + ": " + ErrorMessage(error));
    }
    auto getFolder = Export<PFNQUELLINGETFOLDER>(module, "QuellinGetFolder");
    auto folderName = Export<PFNQUELLINFOLDERNAME>(module, "QuellinFolderName");
    if (getFolder == nullptr || folderName == nullptr) {
        FreeLibrary(module);
        return LibraryFailure(jsonTo, library, "no-folder-table", 0,
                              library + " does not export the folder table");
    }
    Exports exports;
    exports.entry = Export<PFNQUELLINRECORDENTRY>(module, "QuellinRecordEntry");
    exports.entryW = Export<PFNQUELLINRECORDENTRYW>(module, "QuellinRecordEntryW");
    if (explain && (exports.entry == nullptr || exports.entryW == nullptr)) {
        FreeLibrary(module);
        return LibraryFailure(jsonTo, library, "no-records", 0,
                              library + " does not give its records as data");
    }
    // Libraries before the records as data and the wide accessor lack them; the dump goes on.
    auto getFolderW = Export<PFNQUELLINGETFOLDERW>(module, "QuellinGetFolderW");
    const std::vector<Entry> attach = ReadRecord(exports, QUELLIN_ATTACH_RECORD);

    if (oneSlot) {
        DWORD slot = 0;
        int result = 0;
        if (FindSlot(folderName, slotText, slot)) {
            std::printf("%s\n", ReadSlot(getFolder, slot).c_str());
            if (explain)
                PrintRecord(ReadRecord(exports, slot));
        } else {
            std::fprintf(stderr, "folderdump: %s has no slot '%s'\n", library.c_str(),
                         slotText.c_str());
            result = kUsageFailed;
        }
        FreeLibrary(module);
        return result;
    }

    std::vector<SlotReport> slots;
    for (DWORD slot = 0; folderName(slot) != nullptr; ++slot) {
        SlotReport report;
        report.value = ReadSlot(getFolder, slot);
        if (getFolderW != nullptr)
            report.wide = ReadSlotW(getFolderW, slot);
        report.record = ReadRecord(exports, slot);
        Judge(report, context, folderName);
        slots.push_back(report);
    }

    if (anyJson) {
        std::string out = JsonHead() +
                          ",\n \"library\": " + JsonLibrary(library, LibraryVersion(attach)) +
                          ",\n \"context\": " + JsonContext(context) +
                          ",\n \"attach\": " + JsonAttach(attach) + ",\n \"slots\": [\n";
        for (DWORD slot = 0; slot < slots.size(); ++slot) {
            const SlotReport& r = slots[slot];
            std::string wide;
            if (getFolderW != nullptr) {
                const std::string utf8 = Utf8(r.wide);
                if (utf8 != ToUtf8(r.value))
                    wide = ", \"wideValue\": " + JsonUtf8(utf8);
            }
            std::vector<std::string> flags;
            for (const char* flag : r.flags)
                flags.push_back(JsonUtf8(flag));
            out += "  {\"slot\": " + std::to_string(slot) +
                   ", \"name\": " + JsonUtf8(folderName(slot)) +
                   ", \"value\": " + JsonString(r.value) + wide +
                   ", \"flags\": " + JsonList(flags) +
                   ", \"trust\": " + (r.trustJson.empty() ? "null" : r.trustJson) +
                   ", \"record\": " + JsonRecord(r.record) + "}" +
                   (slot + 1 < slots.size() ? ",\n" : "\n");
        }
        jsonOut.Write(out + " ]}\n");
    }
    if (text) {
        std::printf("attach\n");
        PrintRecord(attach);
        PrintContext(context);
        for (DWORD slot = 0; slot < slots.size(); ++slot) {
            const SlotReport& r = slots[slot];
            std::printf("%2lu %-22s %s\n", static_cast<unsigned long>(slot), folderName(slot),
                        r.value.c_str());
            if (!r.flags.empty()) {
                std::string flags;
                for (size_t i = 0; i < r.flags.size(); ++i)
                    flags += (i ? ", " : "") + FlagText(r.flags[i]);
                std::printf("     flags: %s\n", flags.c_str());
            }
            if (!r.trustText.empty())
                std::printf("     trust: %s\n", r.trustText.c_str());
            if (explain)
                PrintRecord(r.record);
        }
    }
    FreeLibrary(module);
    return 0;
}
