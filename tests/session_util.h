/*
 * session_util.h: what the tests that open sessions start from.
 */
#ifndef KESTRUM_TESTS_SESSION_UTIL_H
#define KESTRUM_TESTS_SESSION_UTIL_H

/* The PuTTY double (a program next to the tests) as PuTTY, its version
 * read. */
void UseDouble(const char *exe = "putty_double.exe");
/* An empty model, sessions ready, message boxes scripted afresh and the
 * double as PuTTY. */
void ResetForSessions();

#endif
