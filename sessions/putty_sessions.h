/*
 * putty_sessions.h: PuTTY's version and its saved sessions as a folder
 * of the server tree.
 *
 * Only the pure part lives here: decoding stored names and building the
 * folder.  Reading the registry, the KiTTY Sessions folder and version
 * resources is putty_discovery.h.
 */
#ifndef KESTRUM_SESSIONS_PUTTY_SESSIONS_H
#define KESTRUM_SESSIONS_PUTTY_SESSIONS_H

/* The most significant half of PuTTY's file version (0.81 is 0 and 81);
 * both 0 when none was read. */
extern int PuttyVersionMajor;
extern int PuttyVersionMinor;

/* Version 0.77 or later: the password may be passed in a file, and the
 * session log is named on the command line and written as it goes. */
bool PuttySupportsPwfile(void);
bool PuttySupportsSessionLog(void);

/* A stored saved-session name with its %XX escapes (bytes in the ANSI
 * code page) undone; a new text the caller frees.  A percent sign not
 * followed by two hexadecimal digits stays, and so does "%00", which
 * would otherwise cut the name short. */
wchar_t *DecodeSessionName(const wchar_t *stored);

/* True when the file-name part of an executable path contains "kitty",
 * ignoring case: KiTTY's own saved sessions are then listed too. */
bool PuttyPathIsKitty(const wchar_t *path);

/* Releases PuttySessionsFolder and makes it anew, empty: "PuTTY 세션",
 * marked as saved sessions, expanded as Settings.PuttySessionsExpanded. */
void ResetPuttySessionsFolder(void);
/* Appends a node for a decoded name, with the login data stored for it
 * (PuttyLoginFind); false, adding nothing, when the folder already has
 * that saved session (ignoring case), the name is empty or there is no
 * folder. */
bool AddPuttySession(const wchar_t *name);
/* Folders first, then by name ignoring case; equal names keep order. */
void SortPuttySessionsFolder(void);

#endif
