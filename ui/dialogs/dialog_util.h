/*
 * dialog_util.h: running the program's dialogs and reading their
 * controls.
 */
#ifndef KESTRUM_UI_DIALOGS_DIALOG_UTIL_H
#define KESTRUM_UI_DIALOGS_DIALOG_UTIL_H

#include <windows.h>

/* DialogBoxParamW of a template of this program, owned by the main
 * window, inside the modal bracket.  -1 when it cannot be shown. */
INT_PTR RunModalDialog(int templateId, DLGPROC proc, LPARAM param);

/* A new string with the control's whole text; never null. */
wchar_t *GetItemText(HWND dialog, int id);
/* The control's text (at most 31 characters) as an integer; empty is 0. */
int GetItemInt(HWND dialog, int id);
/* Null shows as empty. */
void SetItemText(HWND dialog, int id, const wchar_t *text);
void SetItemInt(HWND dialog, int id, int value);

/* The login script syntax help in an information box. */
void ShowScriptSyntax(HWND owner);

#endif
