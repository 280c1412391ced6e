/* Entry point of the examples linked by lld-link without a C runtime library: msvcrt.dll sets
 * itself up when it is loaded, so the examples' printf and malloc work; main's result is the
 * exit code. */
#include <windows.h>

int main(void);

void QuellinExampleStart(void) {
    ExitProcess((UINT)main());
}
