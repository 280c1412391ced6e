// The library's own small runtime, in the shipped DLL only: it imports no C runtime DLL
// (Windows 95 does not promise one), so what the code takes from a runtime is here, over the
// kernel's heap and clock.
//
// - The entry point. At attach: the runtime's own initialisers (the heap) first, then the
//   global constructors in the order a MinGW runtime runs them (the list the linker gathers,
//   from its end), each global registering its teardown with the exit list right after its
//   construction. At detach: the exit list, the last entry first, then the heap goes.
// - Memory: malloc and its kin, and operator new and delete, over a heap of the library's own.
// - mem*, str* and wcslen, the generator (rand and srand as the C runtime draws them: the same
//   numbers for the same seed) and the clock (seconds since 1970, UTC).
// - The library is built without exceptions. What the standard library would throw (a string
//   longer than it can hold, memory exhausted) cannot be handled by the library either: the
//   process ends with exit code 3, as the C runtime's abort ends it.
// - std::string and std::wstring are instantiated here, without exceptions, so that the
//   standard library's copies, built with them, are not linked.
#include <windows.h>

#include <cstddef>
#include <new>
#include <string>

extern "C" {

// Gathered by the linker: a count (or -1) followed by the constructors, and a closing null.
extern void (*__CTOR_LIST__[])(void);

// The MinGW runtime's statement that threads are supported (its value there), read by the
// standard library's reference counts.
int _CRT_MT = 2;

namespace {

HANDLE runtimeHeap = nullptr;

// The exit list: teardowns in the order they were registered, in blocks of the heap.
typedef void(__cdecl* ExitFunction)(void);
ExitFunction* exitList = nullptr;
size_t exitCount = 0;
size_t exitCapacity = 0;

[[noreturn]] void RuntimeFailure() {
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;)
        Sleep(INFINITE);
}

} // namespace

void* __cdecl malloc(size_t size) {
    return runtimeHeap != nullptr ? HeapAlloc(runtimeHeap, 0, size ? size : 1) : nullptr;
}

void* __cdecl calloc(size_t count, size_t size) {
    if (size != 0 && count > static_cast<size_t>(-1) / size)
        return nullptr;
    const size_t bytes = count * size != 0 ? count * size : 1;
    return runtimeHeap != nullptr ? HeapAlloc(runtimeHeap, HEAP_ZERO_MEMORY, bytes) : nullptr;
}

void __cdecl free(void* block) {
    if (block != nullptr && runtimeHeap != nullptr)
        HeapFree(runtimeHeap, 0, block);
}

void* __cdecl realloc(void* block, size_t size) {
    if (block == nullptr)
        return malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    return HeapReAlloc(runtimeHeap, 0, block, size);
}

int __cdecl atexit(ExitFunction function) {
    if (exitCount == exitCapacity) {
        const size_t capacity = exitCapacity ? exitCapacity * 2 : 16;
        void* grown = realloc(exitList, capacity * sizeof(ExitFunction));
        if (grown == nullptr)
            return -1;
        exitList = static_cast<ExitFunction*>(grown);
        exitCapacity = capacity;
    }
    exitList[exitCount++] = function;
    return 0;
}

void* __cdecl memset(void* target, int value, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(target);
    while (size-- != 0)
        *out++ = static_cast<unsigned char>(value);
    return target;
}

void* __cdecl memcpy(void* target, const void* source, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(target);
    const unsigned char* in = static_cast<const unsigned char*>(source);
    while (size-- != 0)
        *out++ = *in++;
    return target;
}

void* __cdecl memmove(void* target, const void* source, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(target);
    const unsigned char* in = static_cast<const unsigned char*>(source);
    if (out < in) {
        while (size-- != 0)
            *out++ = *in++;
    } else {
        while (size-- != 0)
            out[size] = in[size];
    }
    return target;
}

int __cdecl memcmp(const void* left, const void* right, size_t size) {
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    for (; size != 0; --size, ++a, ++b)
        if (*a != *b)
            return *a < *b ? -1 : 1;
    return 0;
}

void* __cdecl memchr(const void* text, int value, size_t size) {
    const unsigned char* in = static_cast<const unsigned char*>(text);
    for (; size != 0; --size, ++in)
        if (*in == static_cast<unsigned char>(value))
            return const_cast<unsigned char*>(in);
    return nullptr;
}

size_t __cdecl strlen(const char* text) {
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

size_t __cdecl wcslen(const wchar_t* text) {
    size_t length = 0;
    while (text[length] != L'\0')
        ++length;
    return length;
}

int __cdecl strcmp(const char* left, const char* right) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    while (*a != '\0' && *a == *b)
        ++a, ++b;
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

int __cdecl strncmp(const char* left, const char* right, size_t size) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    for (; size != 0; --size, ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == '\0')
            break;
    }
    return 0;
}

namespace {
unsigned long randomState = 1;
} // namespace

void __cdecl srand(unsigned int seed) {
    randomState = seed;
}

int __cdecl rand(void) {
    randomState = randomState * 214013UL + 2531011UL;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

namespace {
// Seconds since 1970-01-01 00:00 UTC.
long long ClockSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const unsigned long long kTicksFrom1601To1970 = 116444736000000000ULL;
    return static_cast<long long>((ticks - kTicksFrom1601To1970) / 10000000ULL);
}
} // namespace

__time32_t __cdecl _time32(__time32_t* result) {
    const __time32_t seconds = static_cast<__time32_t>(ClockSeconds());
    if (result != nullptr)
        *result = seconds;
    return seconds;
}

__time64_t __cdecl _time64(__time64_t* result) {
    const __time64_t seconds = ClockSeconds();
    if (result != nullptr)
        *result = seconds;
    return seconds;
}

void __cdecl abort(void) {
    RuntimeFailure();
}

namespace {

// The global constructors as a MinGW runtime runs them: the list from its end to its start.
void RunConstructors() {
    size_t count = reinterpret_cast<size_t>(__CTOR_LIST__[0]);
    if (count == static_cast<size_t>(-1))
        for (count = 0; __CTOR_LIST__[count + 1] != nullptr; ++count) {
        }
    for (size_t i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
}

// The exit list, the last entry first; an entry may add entries, which run next.
void RunExitList() {
    while (exitCount != 0)
        exitList[--exitCount]();
    free(exitList);
    exitList = nullptr;
    exitCapacity = 0;
}

} // namespace

BOOL WINAPI QuellinEntry(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        runtimeHeap = HeapCreate(0, 0, 0);
        if (runtimeHeap == nullptr)
            return FALSE;
        RunConstructors();
    } else if (reason == DLL_PROCESS_DETACH) {
        RunExitList();
        HeapDestroy(runtimeHeap);
        runtimeHeap = nullptr;
    }
    return TRUE;
}

} // extern "C"

void* operator new(size_t size) {
    void* block = malloc(size);
    if (block == nullptr)
        RuntimeFailure();
    return block;
}

void* operator new[](size_t size) {
    return operator new(size);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete(void* block, size_t) noexcept {
    free(block);
}

void operator delete[](void* block, size_t) noexcept {
    free(block);
}

namespace std {

void __throw_bad_alloc() {
    RuntimeFailure();
}
void __throw_bad_array_new_length() {
    RuntimeFailure();
}
void __throw_bad_function_call() {
    RuntimeFailure();
}
void __throw_length_error(const char*) {
    RuntimeFailure();
}
void __throw_logic_error(const char*) {
    RuntimeFailure();
}
void __throw_out_of_range(const char*) {
    RuntimeFailure();
}
void __throw_out_of_range_fmt(const char*, ...) {
    RuntimeFailure();
}
void __throw_invalid_argument(const char*) {
    RuntimeFailure();
}

template class __cxx11::basic_string<char>;
template class __cxx11::basic_string<wchar_t>;

} // namespace std
