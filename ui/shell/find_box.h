/*
 * find_box.h: the find box above the server tree.  What is typed
 * filters the tree after a pause (the main window routes EN_CHANGE);
 * Enter and F3 select the next match among what is shown, Esc empties
 * the box and brings the whole tree back, Down goes to the tree.
 */
#ifndef KESTRUM_UI_SHELL_FIND_BOX_H
#define KESTRUM_UI_SHELL_FIND_BOX_H

/* The pause after the last key before the tree is filtered. */
enum { FILTER_PAUSE_MS = 150 };

/* Subclasses FindBox; called once, right after it is created. */
void InstallFindBoxSubclass(void);
/* EN_CHANGE of the find box: the filter follows once typing pauses. */
void FindBoxChanged(void);

#endif
