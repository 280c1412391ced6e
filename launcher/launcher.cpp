// Starts Setup32.exe from the installation source and waits for it. Not written yet.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
