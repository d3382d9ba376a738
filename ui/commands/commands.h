/*
 * commands.h: every user action ends here as a command id.
 */
#ifndef KESTRUM_UI_COMMANDS_COMMANDS_H
#define KESTRUM_UI_COMMANDS_COMMANDS_H

#include "command_ids.h"

struct ServerNode;

/* The deep copy of the node last copied; pasted any number of times. */
extern ServerNode *ClipboardNode;
/* Frees it, passwords wiped: at exit. */
void ForgetClipboard(void);

/* Runs a command; ids outside the command ranges and commands whose
 * precondition fails do nothing. */
void ExecuteCommand(int id);
/* The same for a command chosen from a menu shown for the session
 * sessionId (0: none, the command acts as ExecuteCommand's).  Menus are
 * modal: a session command whose session went meanwhile does nothing,
 * and one whose session is no longer active makes it active first. */
void ExecuteCommandFor(int id, int sessionId);

#endif
