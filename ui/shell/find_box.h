/*
 * find_box.h: the keys of the find box above the server tree.  Typing
 * searches from the top (the main window routes EN_CHANGE); Enter and
 * F3 find the next match, Esc empties the box and Down goes to the tree.
 */
#ifndef KESTRUM_UI_SHELL_FIND_BOX_H
#define KESTRUM_UI_SHELL_FIND_BOX_H

/* Subclasses FindBox; called once, right after it is created. */
void InstallFindBoxSubclass(void);

#endif
