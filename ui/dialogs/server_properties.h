/*
 * server_properties.h: the server properties dialog (template 200):
 * every field of a server, in its edit, new-server and saved-session
 * modes, with a live preview of the PuTTY command line.
 */
#ifndef KESTRUM_UI_DIALOGS_SERVER_PROPERTIES_H
#define KESTRUM_UI_DIALOGS_SERVER_PROPERTIES_H

#include <windows.h>

struct ServerNode;

/* The dialog's parameter.  Node changes only on OK; for the saved-session
 * mode it is a working copy of the saved-session node. */
struct ServerPropertiesRequest {
    ServerNode *Node;
    bool IsNew;
};

/* lParam of WM_INITDIALOG: a ServerPropertiesRequest that outlives the
 * dialog.  Ends with IDOK or IDCANCEL. */
INT_PTR CALLBACK ServerPropertiesProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

/* Fills an editable combo box with "Default Settings" and PuTTY's saved
 * sessions in the folder's order, and sets its text. */
void FillSavedSessionBox(HWND combo, const wchar_t *text);

#endif
