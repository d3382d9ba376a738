/*
 * send_script.h: the send-script dialog (template 203): a script typed or
 * loaded from a file, sent to the active session, to every open session
 * or to the sessions picked in its list, with an optional pause after
 * each line.  Its text, target and delay are remembered in Settings.
 *
 * The decisions behind it are send_rules.h.
 */
#ifndef KESTRUM_UI_DIALOGS_SEND_SCRIPT_H
#define KESTRUM_UI_DIALOGS_SEND_SCRIPT_H

#include <windows.h>

/* The dialog procedure of template 203; the parameter is unused.  Ends
 * with IDOK once the script went to at least one session, IDCANCEL on
 * "닫기". */
INT_PTR CALLBACK SendScriptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
