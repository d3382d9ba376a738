/*
 * putty_sessions.cpp: PuTTY's version and saved sessions.
 */
#include "putty_sessions.h"

int PuttyVersionMajor;
int PuttyVersionMinor;

bool PuttySupportsPwfile(void)
{
    return PuttyVersionMajor > 0 || PuttyVersionMinor >= 77;
}
