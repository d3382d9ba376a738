/*
 * commands.h: every user action ends here as a command id.
 */
#ifndef KESTRUM_UI_COMMANDS_COMMANDS_H
#define KESTRUM_UI_COMMANDS_COMMANDS_H

#include "command_ids.h"

void ExecuteCommand(int id);

#endif
