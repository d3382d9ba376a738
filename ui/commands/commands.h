/*
 * commands.h: every user action ends here as a command id.
 */
#ifndef KESTRUM_UI_COMMANDS_COMMANDS_H
#define KESTRUM_UI_COMMANDS_COMMANDS_H

#include "command_ids.h"

struct ServerNode;

/* The deep copy of the node last copied; pasted any number of times. */
extern ServerNode *ClipboardNode;

/* Runs a command; ids outside the command ranges and commands whose
 * precondition fails do nothing. */
void ExecuteCommand(int id);

#endif
