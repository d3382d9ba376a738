/*
 * bulk_password.h: the bulk password change dialog (template 207): one
 * new password for the servers of a folder or of the whole tree that
 * pass its filters.
 */
#ifndef KESTRUM_UI_DIALOGS_BULK_PASSWORD_H
#define KESTRUM_UI_DIALOGS_BULK_PASSWORD_H

#include <windows.h>

struct ServerNode;

/* The dialog's parameter. */
struct BulkPasswordRequest {
    ServerNode *Folder;     /* offered as "선택한 폴더", or null */
    int Changed;            /* servers changed; set on OK */
};

/* lParam of WM_INITDIALOG: a BulkPasswordRequest that outlives the
 * dialog.  The tree changes only on OK, which ends with IDOK. */
INT_PTR CALLBACK BulkPasswordProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
