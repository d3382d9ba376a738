/*
 * attach.h: taking a PuTTY window that runs outside this program into a
 * tab: the windows offered and the dialog that picks one (template 206).
 *
 * A candidate is a visible top-level window without parent or owner
 * that IsForeignPuttyWindow (capture.h) accepts: class "PuTTY" or
 * "KiTTY", of another process.  Embedded windows are children and the
 * PuTTYs this program starts stay hidden until captured, so neither is
 * offered.  AttachWindow (capture.h) makes the session.
 */
#ifndef KESTRUM_UI_DIALOGS_ATTACH_H
#define KESTRUM_UI_DIALOGS_ATTACH_H

#include <windows.h>

bool IsAttachCandidate(HWND window);
/* Calls visit, when given, for each candidate in EnumWindows order (top
 * of the Z order first); returns how many there were. */
int EnumAttachCandidates(void (*visit)(HWND window, void *context), void *context);

/* The dialog procedure of template 206.  The parameter points to an HWND
 * that receives the chosen window when the dialog ends with IDOK. */
INT_PTR CALLBACK AttachDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* The whole choice, modal over the main window: a message instead of the
 * dialog when nothing can be attached; null when cancelled or when the
 * chosen window stopped being a candidate while the dialog was open.  A
 * minimised window is restored, without activating it. */
HWND ChooseAttachWindow(void);

#endif
