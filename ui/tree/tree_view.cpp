/*
 * tree_view.cpp: the server tree control as a view of the model, and
 * the notifications of the main window's controls.
 *
 * The control is emptied and refilled after every change of the tree;
 * each item's lParam is its ServerNode.  The live filter fills a second
 * control shown in the first one's place: Wine's control takes about as
 * long to empty as to fill, so the whole tree is kept as it is while
 * filtered and shown again at once unless the model changed meanwhile.
 * ServerTree is whichever of the two is shown.
 *
 * Wine's control also measures the text of every item it shows when
 * drawing resumes, which for a text that most servers contain costs more
 * than the fill.  The filtered tree therefore opens only the folders of
 * its first screen at once; those below go in closed and are opened
 * while the program is idle, or at once when the tree is used.
 */
#include "tree_view.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/config_file.h"
#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/session.h"
#include "../commands/commands.h"
#include "../dialogs/config_warn.h"
#include "../hotkeys/hotkeys.h"
#include "../shell/find_box.h"
#include "../shell/layout.h"
#include "../shell/main_window.h"
#include "../shell/menus.h"
#include "../shell/tabs.h"
#include "../shell/toolbar.h"
#include "tree_rules.h"

enum { IMAGE_FOLDER = 0, IMAGE_FOLDER_OPEN = 1, IMAGE_SERVER = 2, FIND_TEXT_MAX = 128 };

static bool TreeFilling;
static bool Dragging;
static ServerNode *DragNode;
static HIMAGELIST DragImage;
static HIMAGELIST ColorMarks;
/* The find box's text while it filters the tree, "" when it does not;
 * the node to select again once it stops: the one selected before, or
 * the one the user chose meanwhile (only compared, never read). */
static wchar_t FilterText[FIND_TEXT_MAX];
static ServerNode *SelectionAfterFilter;
static HWND WholeTree;
static HWND FilterView;
static bool WholeTreeStale;     /* the model changed while filtered */
static WNDPROC FilterViewPrevious;

/* The filtered tree's folders still closed, in tree order; the rows
 * filled so far and how many of them go in open; the node to select
 * after the fill and its row. */
static HTREEITEM *Closed;
static int ClosedCount, ClosedSize;
static int FilledRows, OpenRows;
static const ServerNode *FillTarget;
static int TargetRow;
static UINT_PTR UnfoldTimer;

static void StopUnfolding(void)
{
    ClosedCount = 0;
    if (UnfoldTimer)
        KillTimer(NULL, UnfoldTimer);
    UnfoldTimer = 0;
}

static int NodeImage(const ServerNode *node, bool expanded)
{
    if (node->Type == NODE_SERVER)
        return IMAGE_SERVER;
    return expanded && node->FirstChild ? IMAGE_FOLDER_OPEN : IMAGE_FOLDER;
}

/* The colour a node shows, from the one its folder shows: what
 * NodeShownColor finds, without walking up for every item. */
static int ShownColor(const ServerNode *node, int folderColor)
{
    return NodeOwnColor(node) ? node->Color : folderColor;
}

/* One item after `after` (TVI_FIRST, TVI_LAST or an item), its colour as
 * its state image; an expanded folder is told so before its children
 * come, which costs nothing, where expanding it afterwards makes Wine's
 * control lay out every item shown. */
static HTREEITEM InsertItem(ServerNode *node, HTREEITEM parent, HTREEITEM after, int color, bool expanded)
{
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    ins.item.pszText = (LPWSTR)(node->DisplayName ? node->DisplayName : L"");
    ins.item.iImage = ins.item.iSelectedImage = NodeImage(node, expanded);
    ins.item.lParam = (LPARAM)node;
    ins.item.cChildren = node->Type == NODE_FOLDER && node->FirstChild ? 1 : 0;
    ins.item.state = INDEXTOSTATEIMAGEMASK(color) | (expanded ? TVIS_EXPANDED : 0);
    ins.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
    HTREEITEM item = (HTREEITEM)SendMessageW(ServerTree, TVM_INSERTITEMW, 0, (LPARAM)&ins);
    node->TreeItem = item;
    return item;
}

/*
 * Wine's control finds the item a message names by searching all its
 * items in the order they were made, so filling it in tree order costs
 * time that grows with the square of the tree.  The folders therefore go
 * in first, and then the servers, each naming only its folder and the
 * folder before it: items that are found at once.
 */

/* Every folder below node, in order. */
static void InsertFolders(ServerNode *node, HTREEITEM parent, int folderColor)
{
    for (ServerNode *c = node->FirstChild; c; c = c->NextSibling)
        if (c->Type == NODE_FOLDER) {
            int color = ShownColor(c, folderColor);
            InsertItem(c, parent, TVI_LAST, color, c->Expanded && c->FirstChild);
            InsertFolders(c, (HTREEITEM)c->TreeItem, color);
        }
}

/* The servers of one run between two folders, before they go in. */
struct ServerRun {
    ServerNode **Nodes;
    int Count;
    int Size;
};

/* items, with room for one more after count of them */
static void *Room(void *items, int count, int *size, size_t each)
{
    if (count < *size)
        return items;
    *size = *size ? *size * 2 : 64;
    return MemRealloc(items, *size * each);
}

static void RunAdd(ServerRun *run, ServerNode *node)
{
    run->Nodes = (ServerNode **)Room(run->Nodes, run->Count, &run->Size, sizeof(ServerNode *));
    run->Nodes[run->Count++] = node;
}

/* The servers of node's children that the tree shows, each run after the
 * folder shown before it (in reverse, since each goes right after it) or
 * first, the last run at the end unless something shown follows node's
 * children at their level; then those further down. */
static void InsertServers(ServerNode *node, HTREEITEM parent, int color, bool followed, ServerRun *run)
{
    HTREEITEM after = TVI_FIRST;
    for (ServerNode *c = node->FirstChild;; c = c->NextSibling) {
        if (c && c->Type == NODE_SERVER) {
            if (!FilterText[0] || FilterPasses(c, FilterText))
                RunAdd(run, c);
            continue;
        }
        if (c && !c->TreeItem)
            continue;   /* a folder the filter hides */
        if (!c && !followed)
            for (int i = 0; i < run->Count; i++)
                InsertItem(run->Nodes[i], parent, TVI_LAST, ShownColor(run->Nodes[i], color), false);
        else
            for (int i = run->Count - 1; i >= 0; i--)
                InsertItem(run->Nodes[i], parent, after, ShownColor(run->Nodes[i], color), false);
        run->Count = 0;
        if (!c)
            break;
        after = (HTREEITEM)c->TreeItem;
    }
    for (ServerNode *c = node->FirstChild; c; c = c->NextSibling)
        if (c->Type == NODE_FOLDER && c->TreeItem)
            InsertServers(c, (HTREEITEM)c->TreeItem, ShownColor(c, color), false, run);
}

/* A folder of the filtered tree, inserted only once something below it
 * passes: every node is looked at once, whatever the depth. */
struct ShownFolder {
    ServerNode *Node;
    HTREEITEM Item;
    int Color;
    ShownFolder *Up;
};

static HTREEITEM FolderItem(ShownFolder *f)
{
    if (!f)
        return TVI_ROOT;
    if (!f->Item) {
        HTREEITEM parent = FolderItem(f->Up);
        if (f->Node == FillTarget)
            TargetRow = FilledRows;
        bool open = FilledRows++ < OpenRows;
        f->Item = InsertItem(f->Node, parent, TVI_LAST, f->Color, open);
        if (!open) {
            Closed = (HTREEITEM *)Room(Closed, ClosedCount, &ClosedSize, sizeof(HTREEITEM));
            Closed[ClosedCount++] = f->Item;
        }
    }
    return f->Item;
}

/* The folders of the filtered tree: those with a server below that
 * passes.  entering: the whole tree is shown, and each node keeps its
 * item there. */
static void InsertFilteredFolders(ServerNode *node, ShownFolder *up, int folderColor, bool entering)
{
    int color = ShownColor(node, folderColor);
    if (entering)
        node->WholeTreeItem = node->TreeItem;
    node->TreeItem = NULL;
    if (node->Type == NODE_SERVER) {
        if (FilterPasses(node, FilterText)) {
            FolderItem(up);
            if (node == FillTarget)
                TargetRow = FilledRows;
            FilledRows++;
        }
        return;
    }
    ShownFolder f = { node, NULL, color, up };
    for (ServerNode *c = node->FirstChild; c; c = c->NextSibling)
        InsertFilteredFolders(c, &f, color, entering);
}

/* The state images: a square of each label colour, none at 0. */
static void BuildColorMarks(void)
{
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    ColorMarks = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, NODE_COLOR_COUNT, 0);
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, cx * NODE_COLOR_COUNT, cy);
    HGDIOBJ old = SelectObject(dc, strip);
    const COLORREF clear = RGB(255, 0, 255);
    HBRUSH background = CreateSolidBrush(clear);
    RECT all = { 0, 0, cx * NODE_COLOR_COUNT, cy };
    FillRect(dc, &all, background);
    DeleteObject(background);
    int side = cy * 5 / 8;
    for (int color = 1; color < NODE_COLOR_COUNT; color++) {
        RECT mark = { color * cx + (cx - side) / 2, (cy - side) / 2, 0, 0 };
        mark.right = mark.left + side;
        mark.bottom = mark.top + side;
        PaintColorMark(dc, &mark, color);
    }
    SelectObject(dc, old);
    ImageList_AddMasked(ColorMarks, strip, clear);
    DeleteObject(strip);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
}

static void SelectItem(ServerNode *node)
{
    if (!node->TreeItem)
        return;     /* hidden by the filter */
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node->TreeItem);
    SendMessageW(ServerTree, TVM_ENSUREVISIBLE, 0, (LPARAM)node->TreeItem);
}

/* A tree control made for another main window (the tests make several)
 * starts the view afresh. */
static void AdoptTreeControl(void)
{
    if (ServerTree == WholeTree || ServerTree == FilterView)
        return;
    WholeTree = ServerTree;
    FilterView = NULL;
    StopUnfolding();
    FilterText[0] = 0;
    SelectionAfterFilter = NULL;
    WholeTreeStale = false;
    if (!ColorMarks)
        BuildColorMarks();
    SendMessageW(ServerTree, TVM_SETIMAGELIST, TVSIL_STATE, (LPARAM)ColorMarks);
}

/* Opens the filtered tree's closed folders, the last first: a folder
 * whose folder is still closed opens without being laid out.  all:
 * every one now, else until input waits or a slice of time is used. */
static void OpenClosedFolders(bool all)
{
    if (!ClosedCount)
        return;
    HWND tree = FilterView;
    if (!tree || ServerTree != tree) {
        StopUnfolding();
        return;
    }
    LRESULT top = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    DWORD start = GetTickCount();
    TreeFilling = true;
    /* Wine's control keeps drawing its scroll bars while its own drawing
     * is off, at every folder; the window's is off too meanwhile */
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    DefWindowProcW(tree, WM_SETREDRAW, FALSE, 0);
    while (ClosedCount && (all || (GetTickCount() - start < 10 && !HIWORD(GetQueueStatus(QS_INPUT))))) {
        TVITEMW tv = {};
        tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.hItem = Closed[--ClosedCount];
        tv.iImage = tv.iSelectedImage = IMAGE_FOLDER_OPEN;
        SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&tv);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)tv.hItem);
    }
    DefWindowProcW(tree, WM_SETREDRAW, TRUE, 0);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(tree, NULL, NULL, RDW_INVALIDATE | RDW_FRAME);
    /* Wine's control scrolls to show what a folder opens */
    if (SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0) != top)
        SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, top);
    TreeFilling = false;
    if (!ClosedCount)
        StopUnfolding();
}

/* Input goes first, and a label being edited stays where it is. */
static void CALLBACK OnUnfoldTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (!HIWORD(GetQueueStatus(QS_INPUT)) && !SendMessageW(FilterView, TVM_GETEDITCONTROL, 0, 0))
        OpenClosedFolders(false);
}

void OpenFilteredFolders(void)
{
    OpenClosedFolders(true);
}

/* Keys, clicks and scrolling, the scroll bars' too, see the whole
 * filtered tree. */
static LRESULT CALLBACK FilterViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg > WM_MOUSEMOVE && msg <= WM_MOUSELAST) ||
        msg == WM_NCLBUTTONDOWN || msg == WM_VSCROLL || msg == WM_HSCROLL)
        OpenClosedFolders(true);
    return CallWindowProcW(FilterViewPrevious, hwnd, msg, wParam, lParam);
}

static HWND FilterControl(void)
{
    if (!FilterView) {
        FilterView = CreateWindowExW((DWORD)GetWindowLongPtrW(WholeTree, GWL_EXSTYLE), WC_TREEVIEWW, L"",
                                     (DWORD)GetWindowLongPtrW(WholeTree, GWL_STYLE) & ~WS_VISIBLE, 0, 0, 10, 10,
                                     GetParent(WholeTree), NULL, GetModuleHandleW(NULL), NULL);
        SendMessageW(FilterView, WM_SETFONT, SendMessageW(WholeTree, WM_GETFONT, 0, 0), FALSE);
        FilterViewPrevious = (WNDPROC)SetWindowLongPtrW(FilterView, GWLP_WNDPROC, (LONG_PTR)FilterViewProc);
    }
    return FilterView;
}

/* Shows control where the other one was, with its images, focus and
 * place in the tab order. */
static void ShowTreeControl(HWND control)
{
    HWND shown = ServerTree;
    if (control == shown)
        return;
    static const WPARAM lists[] = { TVSIL_NORMAL, TVSIL_STATE };
    for (WPARAM list : lists)
        SendMessageW(control, TVM_SETIMAGELIST, list, SendMessageW(shown, TVM_GETIMAGELIST, list, 0));
    RECT r;
    GetWindowRect(shown, &r);
    MapWindowPoints(NULL, GetParent(shown), (POINT *)&r, 2);
    bool visible = (GetWindowLongPtrW(shown, GWL_STYLE) & WS_VISIBLE) != 0;
    bool focused = GetFocus() == shown;
    SetWindowPos(control, shown, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
    ServerTree = control;
    ShowWindow(shown, SW_HIDE);
    if (focused)
        SetFocus(control);
}

static void EmptyControl(HWND control)
{
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    SendMessageW(control, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
}

/* node if the tree shows it, else null; node is only compared. */
static ServerNode *ShownNode(ServerNode *node)
{
    if (node)
        for (ServerNode *n = NextNodeInOrder(NULL); n; n = NextNodeInOrder(n))
            if (n == node)
                return n->TreeItem ? n : NULL;
    return NULL;
}

/* Selects node, or with the filter on and node hidden, the first match. */
static void SelectAfterFill(ServerNode *node)
{
    ServerNode *selected = ShownNode(node);
    if (!selected && FilterText[0])
        selected = FindFilterMatch(NULL, FilterText);
    if (selected)
        SelectItem(selected);
    InvalidateRect(ServerTree, NULL, TRUE);
}

/* Fills the shown control from the model: the whole tree, or what passes
 * the filter. */
static void Fill(ServerNode *node)
{
    if (!node)
        node = SelectedNode();
    bool entering = FilterText[0] && ServerTree == WholeTree;
    if (FilterText[0])
        ShowTreeControl(FilterControl());
    StopUnfolding();
    /* a screenful open at once, and a row for one cut at the bottom */
    FilledRows = 0;
    OpenRows = (int)SendMessageW(ServerTree, TVM_GETVISIBLECOUNT, 0, 0) + 1;
    FillTarget = node;
    TargetRow = 0;
    TreeFilling = true;
    SendMessageW(ServerTree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(ServerTree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
    ServerNode *sessions = PuttySessionsFolder;
    int sessionsColor = sessions ? ShownColor(sessions, 0) : 0;
    if (FilterText[0]) {
        if (ServersRoot)
            for (ServerNode *c = ServersRoot->FirstChild; c; c = c->NextSibling)
                InsertFilteredFolders(c, NULL, 0, entering);
        if (sessions)
            InsertFilteredFolders(sessions, NULL, 0, entering);
    } else {
        if (ServersRoot)
            InsertFolders(ServersRoot, TVI_ROOT, 0);
        if (sessions) {
            InsertItem(sessions, TVI_ROOT, TVI_LAST, sessionsColor, sessions->Expanded && sessions->FirstChild);
            InsertFolders(sessions, (HTREEITEM)sessions->TreeItem, sessionsColor);
        }
    }
    ServerRun run = {};
    bool sessionsShown = sessions && sessions->TreeItem;
    if (ServersRoot)
        InsertServers(ServersRoot, TVI_ROOT, 0, sessionsShown, &run);
    if (sessionsShown)
        InsertServers(sessions, (HTREEITEM)sessions->TreeItem, sessionsColor, false, &run);
    MemFree(run.Nodes);
    SendMessageW(ServerTree, WM_SETREDRAW, TRUE, 0);
    TreeFilling = false;
    if (TargetRow >= OpenRows)
        OpenClosedFolders(true);
    else if (ClosedCount)
        UnfoldTimer = SetTimer(NULL, 0, USER_TIMER_MINIMUM, OnUnfoldTimer);
    SelectAfterFill(node);
}

void RefillTree(ServerNode *node)
{
    if (!ServerTree)
        return;
    AdoptTreeControl();
    if (FilterText[0])
        WholeTreeStale = true;
    Fill(node);
}

static void KeepWholeTreeItems(ServerNode *node)
{
    node->TreeItem = node->WholeTreeItem;
    for (ServerNode *c = node->FirstChild; c; c = c->NextSibling)
        KeepWholeTreeItems(c);
}

/* Shows the whole tree again, refilled only when the model changed while
 * it was hidden: the folders stay as the user left them either way. */
static void LeaveFilter(ServerNode *node)
{
    bool stale = WholeTreeStale;
    WholeTreeStale = false;
    if (!stale) {
        if (ServersRoot)
            for (ServerNode *c = ServersRoot->FirstChild; c; c = c->NextSibling)
                KeepWholeTreeItems(c);
        if (PuttySessionsFolder)
            KeepWholeTreeItems(PuttySessionsFolder);
    }
    StopUnfolding();
    ShowTreeControl(WholeTree);
    EmptyControl(FilterView);
    if (stale)
        Fill(node);
    else
        SelectAfterFill(node);
}

static ServerNode *ItemNode(HTREEITEM item)
{
    if (!item)
        return NULL;
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv))
        return NULL;
    return (ServerNode *)tv.lParam;
}

ServerNode *SelectedNode(void)
{
    if (!ServerTree)
        return NULL;
    return ItemNode((HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

/* The folder's open state in its image and in the model, which keeps the
 * user's own: the filter's view opens what it shows. */
static void SetFolderExpanded(ServerNode *node, bool expanded)
{
    if (!FilterText[0]) {
        node->Expanded = expanded;
        if (node == PuttySessionsFolder)
            Settings.PuttySessionsExpanded = expanded;
    }
    TVITEMW tv = {};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = (HTREEITEM)node->TreeItem;
    tv.iImage = tv.iSelectedImage = expanded ? IMAGE_FOLDER_OPEN : IMAGE_FOLDER;
    SendMessageW(ServerTree, TVM_SETITEMW, 0, (LPARAM)&tv);
}

void RevealNode(ServerNode *node)
{
    OpenClosedFolders(true);
    /* TVM_EXPAND raises no expand notification, so the model is
     * updated here */
    for (ServerNode *p = node->Parent; p; p = p->Parent)
        if (p->TreeItem) {
            SendMessageW(ServerTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)p->TreeItem);
            SetFolderExpanded(p, true);
        }
    SelectItem(node);
}

void FindNext(bool fromStart)
{
    wchar_t text[FIND_TEXT_MAX];
    text[0] = 0;
    GetWindowTextW(FindBox, text, FIND_TEXT_MAX);
    if (!text[0])
        return;
    ServerNode *start = fromStart ? NULL : SelectedNode();
    ServerNode *found = FilterText[0] ? FindFilterMatch(start, FilterText) : FindMatch(start, text);
    if (!found) {
        MessageBeep(MB_ICONASTERISK);
        return;
    }
    RevealNode(found);
    if (FilterText[0] && !fromStart)
        SelectionAfterFilter = found;
}

bool TreeFiltered(void)
{
    return FilterText[0] != 0;
}

void FilterTree(const wchar_t *text)
{
    if (!ServerTree)
        return;
    AdoptTreeControl();
    bool was = FilterText[0] != 0;
    if (!was && StrIsEmpty(text))
        return;
    if (!was)
        SelectionAfterFilter = SelectedNode();
    StrCopyTo(FilterText, FIND_TEXT_MAX, text ? text : L"");
    if (FilterText[0]) {
        Fill(FindFilterMatch(NULL, FilterText));
        return;
    }
    /* every folder as the user left it, the selection as it was */
    LeaveFilter(SelectionAfterFilter);
    SelectionAfterFilter = NULL;
}

void StartTreeRename(ServerNode *node)
{
    SetFocus(ServerTree);
    SendMessageW(ServerTree, TVM_EDITLABELW, 0, (LPARAM)node->TreeItem);
}

static void AddMenuItem(HMENU menu, int id, const wchar_t *label)
{
    AppendMenuItemWithHotkey(menu, id, label);
}

void ShowTreeContextMenu(int x, int y)
{
    ServerNode *n = SelectedNode();
    HMENU menu = CreatePopupMenu();
    if (n) {
        if (n->Type == NODE_SERVER)
            AddMenuItem(menu, CMD_CONNECT, L"연결");
        else if (n->FirstChild)
            AddMenuItem(menu, CMD_CONNECT_FOLDER, L"폴더 전체 연결");
        AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
    }
    AddMenuItem(menu, CMD_ADD_SERVER, L"서버 추가…");
    AddMenuItem(menu, CMD_ADD_FOLDER, L"폴더 추가");
    if (n) {
        AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
        AddMenuItem(menu, CMD_PROPERTIES,
                    n->Type == NODE_SERVER && n->IsPuttySession ? L"로그인 정보…" : L"속성…");
        if (n != PuttySessionsFolder && !n->IsPuttySession)
            AppendMenuW(menu, MF_POPUP | MF_STRING, (UINT_PTR)BuildColorMenu(), L"색 표시");
        AddMenuItem(menu, CMD_RENAME, L"이름 바꾸기");
        AddMenuItem(menu, CMD_DUPLICATE_NODE, L"복제");
        AddMenuItem(menu, CMD_COPY, L"복사");
    }
    AddMenuItem(menu, CMD_PASTE, L"붙여넣기");
    if (n)
        AddMenuItem(menu, CMD_DELETE, n->IsPuttySession ? L"저장된 로그인 정보 삭제" : L"삭제");
    AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
    AddMenuItem(menu, CMD_SORT_BY_NAME, L"이름순 정렬");
    AddMenuItem(menu, CMD_BULK_PASSWORD, L"비밀번호 일괄 변경…");
    if (n && (n == PuttySessionsFolder || n->IsPuttySession))
        AddMenuItem(menu, CMD_RELOAD_PUTTY_SESSIONS, L"PuTTY 세션 다시 읽기");
    UpdateMenuStates(menu);
    TrackMenuFor(menu, TPM_RIGHTBUTTON, x, y, 0);
}

/* The item under the cursor at the time of the message, and its hit flags. */
static HTREEITEM ItemAtMessagePos(UINT *flags)
{
    DWORD pos = GetMessagePos();
    TVHITTESTINFO hit = {};
    hit.pt.x = (short)LOWORD(pos);
    hit.pt.y = (short)HIWORD(pos);
    ScreenToClient(ServerTree, &hit.pt);
    HTREEITEM item = (HTREEITEM)SendMessageW(ServerTree, TVM_HITTEST, 0, (LPARAM)&hit);
    if (flags)
        *flags = hit.flags;
    return item;
}

static void OnRightClick(void)
{
    HTREEITEM item = ItemAtMessagePos(NULL);
    if (item)
        SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    DWORD pos = GetMessagePos();
    ShowTreeContextMenu((short)LOWORD(pos), (short)HIWORD(pos));
}

static bool OnDoubleClick(void)
{
    UINT flags = 0;
    if (!ItemAtMessagePos(&flags) || !(flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)))
        return false;
    ServerNode *n = SelectedNode();
    if (!n || n->Type != NODE_SERVER)
        return false;
    OpenSession(n);
    return true;
}

static int KeyCommand(WORD key)
{
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_INSERT:
        return CMD_ADD_SERVER;
    case VK_DELETE:
        return CMD_DELETE;
    case VK_F2:
        return CMD_RENAME;
    case VK_F3:
        return CMD_FIND_NEXT;
    case 'C':
        return ctrl ? CMD_COPY : 0;
    case 'V':
        return ctrl ? CMD_PASTE : 0;
    case 'F':
        return ctrl ? CMD_FIND : 0;
    }
    return 0;
}

static bool OnEndLabelEdit(NMTVDISPINFOW *info)
{
    if (GetForegroundWindow() == MainWindow)
        SetHotkeysActive(true);
    ServerNode *n = (ServerNode *)info->item.lParam;
    if (!n || !info->item.pszText || !info->item.pszText[0])
        return false;
    StrAssign(&n->DisplayName, info->item.pszText);
    ConfigSaveOrWarn();
    /* the control is still editing: the filter looks again a moment later */
    if (TreeFiltered())
        FindBoxChanged();
    return true;
}

static void BeginDrag(NMTREEVIEWW *nm)
{
    ServerNode *n = (ServerNode *)nm->itemNew.lParam;
    if (!n || n == PuttySessionsFolder)
        return;
    DragNode = n;
    DragImage = (HIMAGELIST)SendMessageW(ServerTree, TVM_CREATEDRAGIMAGE, 0, (LPARAM)nm->itemNew.hItem);
    if (DragImage) {
        ImageList_BeginDrag(DragImage, 0, 0, 0);
        ImageList_DragEnter(ServerTree, nm->ptDrag.x, nm->ptDrag.y);
    }
    Dragging = true;
    SetHotkeysActive(false);
    SetCapture(MainWindow);
}

static bool HandleTreeNotify(NMHDR *header, LRESULT *result)
{
    switch (header->code) {
    case TVN_ITEMEXPANDEDW: {
        NMTREEVIEWW *nm = (NMTREEVIEWW *)header;
        ServerNode *n = (ServerNode *)nm->itemNew.lParam;
        if (!TreeFilling && n)
            SetFolderExpanded(n, (nm->action & TVE_EXPAND) != 0);
        return false;
    }
    case TVN_BEGINDRAGW:
        BeginDrag((NMTREEVIEWW *)header);
        return false;
    case TVN_SELCHANGEDW: {
        /* what the user picks in the filtered tree stays picked after it */
        NMTREEVIEWW *nm = (NMTREEVIEWW *)header;
        if (FilterText[0] && !TreeFilling && (nm->action == TVC_BYMOUSE || nm->action == TVC_BYKEYBOARD))
            SelectionAfterFilter = (ServerNode *)nm->itemNew.lParam;
        return false;
    }
    case TVN_BEGINLABELEDITW: {
        ServerNode *n = (ServerNode *)((NMTVDISPINFOW *)header)->item.lParam;
        bool allowed = n && !n->IsPuttySession;
        if (allowed)
            SetHotkeysActive(false);
        *result = allowed ? 0 : 1;
        return true;
    }
    case TVN_ENDLABELEDITW:
        *result = OnEndLabelEdit((NMTVDISPINFOW *)header);
        return true;
    case TVN_KEYDOWN: {
        /* the tree keeps the focus while a node is dragged: Esc ends the
         * drag, and no key may delete or move what is being dragged */
        if (Dragging) {
            if (((NMTVKEYDOWN *)header)->wVKey == VK_ESCAPE)
                CancelTreeDrag();
            *result = 1;
            return true;
        }
        int command = KeyCommand(((NMTVKEYDOWN *)header)->wVKey);
        if (command)
            ExecuteCommand(command);
        *result = command != 0;
        return true;
    }
    case NM_RCLICK:
        OnRightClick();
        *result = 1;
        return true;
    case NM_RETURN: {
        ServerNode *n = SelectedNode();
        if (n && n->Type == NODE_SERVER)
            OpenSession(n);
        *result = 1;
        return true;
    }
    case NM_DBLCLK:
        if (!OnDoubleClick())
            return false;
        *result = 1;
        return true;
    }
    return false;
}

/* The special-key button's drop-down under the button. */
static void SpecialKeyDropDown(NMTOOLBARW *nm)
{
    HMENU menu = BuildSpecialKeysMenu();
    RECT r = {};
    SendMessageW(Toolbar, TB_GETRECT, nm->iItem, (LPARAM)&r);
    MapWindowPoints(Toolbar, NULL, (POINT *)&r, 2);
    Session *s = ActiveSession();
    TrackMenuFor(menu, 0, r.left, r.bottom, s ? s->Id : 0);
}

bool HandleNotify(NMHDR *header, LRESULT *result)
{
    if (header->hwndFrom == Toolbar && Toolbar && header->code == TBN_DROPDOWN) {
        SpecialKeyDropDown((NMTOOLBARW *)header);
        *result = TBDDRET_DEFAULT;
        return true;
    }
    if (TabTipText(header)) {
        *result = 0;
        return true;
    }
    if (header->hwndFrom == TabControl && header->code == TCN_SELCHANGE) {
        ActivateSession((int)SendMessageW(TabControl, TCM_GETCURSEL, 0, 0), true);
        *result = 0;
        return true;
    }
    if (header->hwndFrom == ServerTree && ServerTree)
        return HandleTreeNotify(header, result);
    return false;
}

bool TreeDragging(void)
{
    return Dragging;
}

HIMAGELIST TreeDragImage(void)
{
    return DragImage;
}

static void EndDrag(bool drop, int x, int y)
{
    if (!Dragging)
        return;
    ServerNode *node = DragNode;
    Dragging = false;
    DragNode = NULL;
    if (DragImage) {
        ImageList_DragLeave(ServerTree);
        ImageList_EndDrag();
        ImageList_Destroy(DragImage);
        DragImage = NULL;
    }
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (GetCapture() == MainWindow)
        ReleaseCapture();
    if (GetForegroundWindow() == MainWindow)
        SetHotkeysActive(true);
    if (!drop || !node)
        return;
    TVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    MapWindowPoints(MainWindow, ServerTree, &hit.pt, 1);
    RECT client;
    GetClientRect(ServerTree, &client);
    if (!PtInRect(&client, hit.pt))
        return;
    HTREEITEM item = (HTREEITEM)SendMessageW(ServerTree, TVM_HITTEST, 0, (LPARAM)&hit);
    ServerNode *target = ItemNode(item);
    if (item && !target)
        return;
    ServerNode *placed = DropNode(node, target, GetKeyState(VK_CONTROL) < 0);
    if (!placed)
        return;
    RefillTree(placed);
    ConfigSaveOrWarn();
}

void EndTreeDrag(int x, int y)
{
    EndDrag(true, x, y);
}

void CancelTreeDrag(void)
{
    EndDrag(false, 0, 0);
}
