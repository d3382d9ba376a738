/*
 * prompts.h: the program's message boxes.
 */
#ifndef KESTRUM_UI_DIALOGS_PROMPTS_H
#define KESTRUM_UI_DIALOGS_PROMPTS_H

#include <windows.h>

/* MessageBoxW with the caption "Kestrum".  The text is a format only
 * when it holds "%".  The owner is used only while it is visible;
 * without one the box is topmost.  Returns IDOK, IDYES, IDNO, IDCANCEL. */
int ShowMessage(HWND owner, UINT flags, const wchar_t *format, ...);

#endif
