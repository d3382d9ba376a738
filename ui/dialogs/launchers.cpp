/*
 * launchers.cpp: the modal entry points of the dialogs.  Those not built
 * yet open nothing and report Cancel.
 */
#include "launchers.h"

#include "../../resources/resource.h"
#include "../../sessions/send_script.h"
#include "../hotkeys/hotkey_dialog.h"
#include "dialog_util.h"
#include "server_properties.h"

bool ShowServerProperties(ServerNode *node, int mode)
{
    ServerPropertiesRequest request = { node, mode == PROPS_NEW };
    return RunModalDialog(IDD_SERVER_PROPERTIES, ServerPropertiesProc, (LPARAM)&request) == IDOK;
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
    RunModalDialog(IDD_SEND_SCRIPT, SendScriptProc, 0);
}

bool ShowHotkeysDialog(void)
{
    return RunModalDialog(IDD_HOTKEYS, HotkeyDialogProc, 0) == IDOK;
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

void ConnectQuickBox(void)
{
}
