/*
 * settings.cpp: the settings record and its defaults.
 */
#include "../core/text.h"
#include "settings.h"

SettingsRecord Settings;

const HotkeySetting HotkeySettings[HOTKEY_COUNT] = {
    { L"NextTab", 0x4009 },
    { L"PrevTab", 0x6009 },
    { L"AppSwitch", 0x40C0 },
    { L"acHideConnections", 0 },
    { L"acPuttyLocation", 0 },
    { L"acSettings", 0 },
    { L"acHideServers", 0x6042 },
    { L"acHideToolbar", 0x6054 },
    { L"acAddServer", 0 },
    { L"acAddGroup", 0 },
    { L"acRemove", 0 },
    { L"acDetach", 0 },
    { L"acConnect", 0 },
    { L"acConnectTo", 0x604B },
    { L"acTreeProps", 0 },
    { L"acSendScript", 0x6053 },
    { L"acAttach", 0 },
    { L"acRenameTab", 0x6052 },
    { L"acImportTree", 0 },
    { L"acExportTree", 0 },
    { L"acHotkeysMap", 0 },
    { L"acDuplicate", 0x6044 },
    { L"acMultiUpdate", 0 },
    { L"ksCloseTab", 0x6057 },
    { L"ksReconnect", 0 },
    { L"ksFind", 0x6046 },
    { L"ksToggleMenu", 0x604D },
    { L"ksSysMenu", 0x005D },
    { L"acBroadcastBar", 0 },
    { L"acBroadcastMember", 0 },
};

void SettingsSetDefaults(void)
{
    for (int i = 0; i < RECENT_MAX; i++)
        MemFree(Settings.Recents[i]);
    MemFree(Settings.SendScriptText);
    MemFill(&Settings, 0, sizeof Settings);
    Settings.CloseOnNormalEnd = 1;
    Settings.KeepOnAbnormalEnd = 1;
    Settings.ReconnectDelay = 5;
    Settings.CloseButtonOnTabs = 1;
    Settings.ShowStartPage = 1;
    Settings.SaveLayout = 1;
    Settings.PasswordMode = 1;
    Settings.PasswordDelay = 1500;
    Settings.TreeWidth = 230;
    Settings.SessionsHeight = 140;
    Settings.PuttySessionsExpanded = 1;
    for (int i = 0; i < HOTKEY_COUNT; i++)
        Settings.Hotkeys[i] = HotkeySettings[i].Default;
}
