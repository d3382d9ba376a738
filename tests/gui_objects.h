/*
 * gui_objects.h: the GDI and USER objects this process holds, for the
 * leak checks of the stress test and the benchmarks.
 */
#pragma once

#include <windows.h>

/* GetGuiResources where it answers; Wine answers 0, and there the
 * objects are counted by handle value. */
DWORD CountGdiObjects();
/* GetGuiResources where it answers; under Wine this process's windows
 * (not another process's windows inside them) and menus. */
DWORD CountUserObjects();
