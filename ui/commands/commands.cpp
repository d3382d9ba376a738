/*
 * commands.cpp: running a command.
 */
#include "commands.h"

#include <windows.h>

#include "../shell/layout.h"
#include "../shell/main_window.h"

ServerNode *ClipboardNode;

void ExecuteCommand(int id)
{
    switch (id) {
    case CMD_EXIT:
        PostMessageW(MainWindow, WM_CLOSE, 0, 0);
        break;
    case CMD_VIEW_SINGLE:
    case CMD_VIEW_SIDE_BY_SIDE:
    case CMD_VIEW_STACKED:
    case CMD_VIEW_GRID:
        SetViewMode(id - CMD_VIEW_SINGLE);
        break;
    default:
        break;
    }
}
