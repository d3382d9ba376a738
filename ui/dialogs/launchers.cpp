/*
 * launchers.cpp: the modal entry points of the dialogs.  Those not built
 * yet open nothing and report Cancel.
 */
#include "launchers.h"

#include "../../resources/resource.h"
#include "../hotkeys/hotkey_dialog.h"
#include "attach.h"
#include "bulk_password.h"
#include "dialog_util.h"
#include "quick_connect.h"
#include "send_script.h"
#include "server_properties.h"
#include "settings_dialog.h"

bool ShowServerProperties(ServerNode *node, int mode)
{
    ServerPropertiesRequest request = { node, mode == PROPS_NEW };
    return RunModalDialog(IDD_SERVER_PROPERTIES, ServerPropertiesProc, (LPARAM)&request) == IDOK;
}

bool ShowSettingsDialog(void)
{
    return RunModalDialog(IDD_SETTINGS, SettingsDialogProc, 0) == IDOK;
}

bool ShowQuickConnectDialog(void)
{
    return RunModalDialog(IDD_QUICK_CONNECT, QuickConnectProc, 0) == IDOK;
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
    return ChooseAttachWindow();
}

void ShowBulkPasswordDialog(ServerNode *folder)
{
    BulkPasswordRequest request = { folder, 0 };
    RunModalDialog(IDD_BULK_PASSWORD, BulkPasswordProc, (LPARAM)&request);
}
