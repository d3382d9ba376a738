/*
 * menu_rules.h: what the menus hold and which items are enabled and
 * checked, as pure functions of a snapshot of the program's state.
 * menus.cpp only turns the answers into Windows menus.
 */
#ifndef KESTRUM_UI_SHELL_MENU_RULES_H
#define KESTRUM_UI_SHELL_MENU_RULES_H

struct ServerNode;

/* MenuRow.Kind */
enum {
    MENU_ROW_POPUP = 0,         /* the menu bar: title of the next popup */
    MENU_ROW_ITEM,              /* a command, labelled with its hotkey */
    MENU_ROW_SEPARATOR,
    MENU_ROW_SPECIAL_KEYS,      /* the special-key popup under Label */
    MENU_ROW_PUTTY_MENU,        /* the mirror of PuTTY's system menu */
    MENU_ROW_COLORS,            /* the colour-label popup under Label */
};

struct MenuRow {
    int Kind;
    const wchar_t *Label;
    int Command;
};

/* The items of the colour-label popup, by NODE_COLOR_*. */
extern const wchar_t *const ColorLabels[8];

/* The menu bar: each MENU_ROW_POPUP row is followed by its items. */
extern const MenuRow MenuBarRows[];
extern const int MenuBarRowCount;

/* MenuState.Node */
enum { MENU_NODE_NONE = 0, MENU_NODE_SERVER, MENU_NODE_FOLDER };
/* MenuState.NodePutty */
enum { MENU_PUTTY_NONE = 0, MENU_PUTTY_FOLDER, MENU_PUTTY_ENTRY };

/* What the menus depend on, read just before one opens. */
struct MenuState {
    bool HideTree, HideSessions, HideToolbar, HideMenu;
    int ViewMode;
    bool TabBottom;
    int SessionCount;
    bool HasActive;             /* an active session */
    bool ActiveHasNode;         /* ...opened from a node, not attached */
    bool ActiveHasWindow;       /* ...with its PuTTY window captured */
    int Node;                   /* the tree's selected node */
    bool NodeHasChildren;
    int NodePutty;              /* the "PuTTY 세션" folder or one of its entries */
    int NodeColor;              /* its own colour label */
    bool ClipboardFull;         /* a copied node waits to be pasted */
    bool ActiveIsMember;        /* of the broadcast group */
    int MemberCount;
    bool AnyEnded;              /* a session from a node is Ended or Failed */
    bool BroadcastBar, MembersOnly;
    bool LogFolderChosen, SessionLog;   /* session logs: a folder, switched on */
};

/* Fills the node fields from the selected node (may be null); puttyFolder
 * is the folder listing PuTTY's saved sessions. */
void MenuStateSetNode(MenuState *st, const ServerNode *node, const ServerNode *puttyFolder);

/* The rule of one command.  Items without a rule stay enabled and
 * unchecked. */
struct MenuItemRule {
    bool Enables;               /* Grayed applies */
    bool Grayed;
    bool Checks;                /* Checked applies */
    bool Checked;               /* check mark, or the chosen radio item */
    int RadioFirst, RadioLast;  /* radio group of the item; 0 for a plain check */
};
/* False (and an empty rule) when the command has no rule. */
bool MenuItemRuleOf(const MenuState *st, int command, MenuItemRule *rule);

/* The context menu of the tabs and the session list; never empty. */
enum { TAB_MENU_MAX = 20 };
int TabContextMenuRows(const MenuState *st, MenuRow rows[TAB_MENU_MAX]);

#endif
