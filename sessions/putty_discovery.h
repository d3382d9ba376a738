/*
 * putty_discovery.h: finding PuTTY's executable, its file version and
 * its (and KiTTY's) saved sessions in the registry and beside a portable
 * KiTTY.  The folder itself is built by putty_sessions.h.
 */
#ifndef KESTRUM_SESSIONS_PUTTY_DISCOVERY_H
#define KESTRUM_SESSIONS_PUTTY_DISCOVERY_H

/* Saved-session keys under HKEY_CURRENT_USER. */
extern const wchar_t PuttySessionsKey[];
extern const wchar_t KittySessionsKey[];

/* The first executable found, or "" (size characters at most):
 * putty.exe beside this program, under ProgramW6432, ProgramFiles and
 * ProgramFiles(x86), then putty.exe and kitty.exe on the search path. */
void LocatePutty(wchar_t *out, int size);
/* The same search with programDir in place of this program's folder. */
void LocatePuttyFrom(const wchar_t *programDir, wchar_t *out, int size);

/* The high and low word of the most significant half of the fixed file
 * version; both 0 and false when the file has no readable version. */
bool ReadFileVersion(const wchar_t *path, int *major, int *minor);
/* Settings.PuttyPath into PuttyVersionMajor / PuttyVersionMinor. */
void ReadPuttyVersion(void);

/* One node per subkey of keyPath (under HKEY_CURRENT_USER); a key that
 * cannot be opened adds nothing. */
void EnumerateSessionKey(const wchar_t *keyPath);
/* Rebuilds PuttySessionsFolder: PuTTY's key, and for a KiTTY executable
 * KiTTY's key and the files of the Sessions folder beside it; sorted. */
void LoadPuttySessions(void);

#endif
