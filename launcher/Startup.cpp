// The launcher's entry point in the shipped program, which links no C runtime: it hands
// WinMain what a runtime's start-up would (the module, no previous instance, the command line
// after the program's name, the show command) and ends the process with WinMain's result.
//
// The compiler may turn the zeroing or copying of a record into calls of memset and memcpy;
// with no runtime linked, they are defined here.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

extern "C" {

void* memset(void* target, int value, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(target);
    while (size-- != 0)
        *out++ = static_cast<unsigned char>(value);
    return target;
}

void* memcpy(void* target, const void* source, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(target);
    const unsigned char* in = static_cast<const unsigned char*>(source);
    while (size-- != 0)
        *out++ = *in++;
    return target;
}

// The command line after the program's name (quoted or not) and the blanks that follow it.
static LPSTR CommandTail() {
    LPSTR line = GetCommandLineA();
    bool quoted = false;
    while (*line != '\0' && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"')
            quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

void LauncherStartup() {
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show =
        (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(
        static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), show)));
}

} // extern "C"
