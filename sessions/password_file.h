/*
 * password_file.h: the short-lived file that hands a password to
 * PuTTY's -pwfile option.
 */
#ifndef KESTRUM_SESSIONS_PASSWORD_FILE_H
#define KESTRUM_SESSIONS_PASSWORD_FILE_H

#include "../core/files.h"

/* A new temporary, hidden file "ksw....tmp" holding exactly the password
 * in UTF-8 (no byte-order mark, no line end).  path (KPATH characters)
 * gets its name, or "" on failure, when no file is left behind. */
bool WritePasswordFile(const wchar_t *password, wchar_t *path);

#endif
