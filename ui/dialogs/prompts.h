/*
 * prompts.h: message boxes, file choosers, the one-line input box and
 * the about box.  Each is a modal element: the hotkeys are off while it
 * is up.  The Windows tests replace this module with a recorder.
 */
#ifndef KESTRUM_UI_DIALOGS_PROMPTS_H
#define KESTRUM_UI_DIALOGS_PROMPTS_H

#include <windows.h>

/* MessageBoxW with the caption "Kestrum".  The text is a format only
 * when it holds "%".  The owner is used only while it is visible;
 * without one the box is topmost.  Returns IDOK, IDYES, IDNO, IDCANCEL. */
int ShowMessage(HWND owner, UINT flags, const wchar_t *format, ...);

/* The open or save chooser.  filter: description/pattern pairs ended by
 * an empty string; path (size characters) holds the initial name and
 * receives the choice.  The current directory never changes. */
bool ChooseFile(HWND owner, bool save, const wchar_t *filter, const wchar_t *defaultExt,
                wchar_t *path, int size);

/* The system's folder chooser under title, starting at path (KPATH
 * characters), which receives the choice; false when cancelled. */
bool ChooseFolder(HWND owner, const wchar_t *title, wchar_t *path);

/* Template 205.  A new string with the entered text (maybe empty), or
 * null when cancelled. */
wchar_t *InputDialog(const wchar_t *title, const wchar_t *prompt, const wchar_t *initial);

/* The about box: version, PuTTY in use and the configuration file
 * (about.cpp, shown through ShowMessage). */
void ShowAbout(void);

#endif
