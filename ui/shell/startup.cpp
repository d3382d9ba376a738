/*
 * startup.cpp: the program's entry point.
 */
#include <windows.h>
#include <commctrl.h>

#include "../../config/config_file.h"
#include "../../config/settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    (void)instance;
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES };
    InitCommonControlsEx(&icc);
    SettingsSetDefaults();
    ConfigLocate();
    if (!ConfigLoad())
        ConfigSave();
    return 0;
}
