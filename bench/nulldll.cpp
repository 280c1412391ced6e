// A library that does nothing at attach or detach: the yardstick for the attach time of
// Quellin. It carries the same statically linked runtime as Quellin, so the two differ only
// in what their attach does.
#ifdef _WIN32
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI NullAnswer(void) {
    return 0;
}
#else
extern "C" int NullAnswer(void) {
    return 0;
}
#endif
