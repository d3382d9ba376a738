/*
 * layout_rules.h: the geometry of the main window as pure functions:
 * where the panes go, where each session goes in each view mode, and
 * whether a saved window placement is still on a screen.
 */
#ifndef KESTRUM_UI_SHELL_LAYOUT_RULES_H
#define KESTRUM_UI_SHELL_LAYOUT_RULES_H

struct LayoutRect {
    int Left, Top, Right, Bottom;
};

/* n pixels at 96 DPI at dpi: n * dpi / 96 rounded to the nearest, as
 * MulDiv does; ScaleForDpi and the pane geometry both use it. */
int ScaleLength(int n, int dpi);

struct PaneInput {
    int Width, Height;          /* client area */
    int Dpi;
    int ToolbarRow;             /* height of the toolbar row when shown */
    bool HideToolbar, HideTree, HideSessions;
    int TreeWidth, SessionsHeight;   /* settings, device pixels */
};

struct PaneLayout {
    int Top;                    /* where the panes start */
    bool ShowTree;              /* find box and tree */
    bool ShowList;              /* session list and its label */
    LayoutRect Find, Tree, Label, List;
    LayoutRect TreeSplitter, ListSplitter;  /* empty when hidden */
    LayoutRect Tab;
};
void LayoutPanes(const PaneInput *in, PaneLayout *out);

/* Columns of the grid view for n sessions: the smallest c >= 2 with
 * c * c >= n. */
int GridColumns(int n);
/* The cell of session i of n in the view mode (0 one at a time, 1 side
 * by side, 2 stacked, 3 grid) inside area; false when the session is
 * hidden (only the active one shows in mode 0 or with one session). */
bool SessionCell(int mode, int n, int i, int active, LayoutRect area, LayoutRect *cell);

/* SessionCell when only the sessions with in[i] set take part in the
 * tiled modes; one at a time, or with none of them set, it is
 * SessionCell itself.  A lone taking part shows whole, active or not. */
bool SessionCellAmong(int mode, const bool *in, int n, int i, int active, LayoutRect area, LayoutRect *cell);

/* A stored normal rectangle is used only when it reaches far enough
 * into the virtual screen (x0, y0, cx, cy). */
bool PlacementOnScreen(int left, int top, int right, int bottom, int x0, int y0, int cx, int cy);
/* A maximised placement (3) reopens maximised; any other, minimised,
 * hidden or not a show command at all, reopens normal (1). */
int RestoredShowCommand(int showCmd);

#endif
