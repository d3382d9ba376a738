/*
 * launchers.cpp: the dialogs that are not built yet open nothing and
 * report Cancel.
 */
#include "launchers.h"

bool ShowServerProperties(ServerNode *, int)
{
    return false;
}

bool ShowSettingsDialog(void)
{
    return false;
}

bool ShowQuickConnectDialog(void)
{
    return false;
}

void ShowSendScriptDialog(void)
{
}

bool ShowHotkeysDialog(void)
{
    return false;
}

HWND ChooseWindowToAttach(void)
{
    return NULL;
}

void ShowBulkPasswordDialog(ServerNode *)
{
}

void ExportTreeCommand(void)
{
}

void ImportTreeCommand(void)
{
}

void ImportMtputtyCommand(void)
{
}

void ConnectQuickBox(void)
{
}
