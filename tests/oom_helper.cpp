/*
 * oom_helper: asks for a block no heap can give, so that the program's
 * own exhaustion path (message box, exit code 3) runs as in Kestrum.exe.
 */
#include "../core/text.h"

int main()
{
    MemAlloc((size_t)-1 - 64);
    return 0;
}
