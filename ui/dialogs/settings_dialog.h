/*
 * settings_dialog.h: the settings dialog (template 201): where PuTTY is
 * (with its version and whether it takes -pwfile), the tab options, what
 * happens when a session ends, confirmations, what is kept at exit and
 * the default password delivery.
 *
 * The decisions behind it are settings_rules.h.
 */
#ifndef KESTRUM_UI_DIALOGS_SETTINGS_DIALOG_H
#define KESTRUM_UI_DIALOGS_SETTINGS_DIALOG_H

#include <windows.h>

/* The dialog procedure of template 201; the parameter is unused.  Ends
 * with IDOK once every field is written into Settings, IDCANCEL writing
 * nothing. */
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
