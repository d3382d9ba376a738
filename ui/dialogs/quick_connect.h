/*
 * quick_connect.h: the quick-connect dialog (template 202): a session
 * for a target written as user@host:port, with the fields a server
 * needs, kept in the tree on request.
 *
 * The toolbar box's connection, ConnectQuickBox, is here too; it is
 * declared with the other command entry points in launchers.h.
 */
#ifndef KESTRUM_UI_DIALOGS_QUICK_CONNECT_H
#define KESTRUM_UI_DIALOGS_QUICK_CONNECT_H

#include <windows.h>

/* No parameter.  OK opens the session and ends with IDOK; an empty
 * target is refused and the dialog stays.  Cancel changes nothing. */
INT_PTR CALLBACK QuickConnectProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
