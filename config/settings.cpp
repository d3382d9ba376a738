/*
 * settings.cpp: the settings record and its defaults.
 */
#include "../core/text.h"
#include "settings.h"

SettingsRecord Settings;

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
        Settings.Hotkeys[i] = HotkeyActions[i].Default;
}
