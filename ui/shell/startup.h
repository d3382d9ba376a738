/*
 * startup.h: start-up and the sessions of the last exit.
 */
#ifndef KESTRUM_UI_SHELL_STARTUP_H
#define KESTRUM_UI_SHELL_STARTUP_H

#include <windows.h>

/* Opens the sessions recorded at the last exit, in their order, each
 * with its saved caption; consumes the pending list. */
void RestoreOpenSessions(void);
/* The whole run of the program; its exit code. */
int RunKestrum(HINSTANCE instance);

#endif
