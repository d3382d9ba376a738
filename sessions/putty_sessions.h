/*
 * putty_sessions.h: PuTTY's version and its saved sessions as a folder
 * of the server tree.
 */
#ifndef KESTRUM_SESSIONS_PUTTY_SESSIONS_H
#define KESTRUM_SESSIONS_PUTTY_SESSIONS_H

/* The most significant half of PuTTY's file version (0.81 is 0 and 81);
 * both 0 when none was read. */
extern int PuttyVersionMajor;
extern int PuttyVersionMinor;

/* Version 0.77 or later: the password may be passed in a file. */
bool PuttySupportsPwfile(void);

#endif
