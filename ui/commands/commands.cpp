/*
 * commands.cpp: the command table.  Each handler checks its
 * precondition silently, asks when the table says so, changes the
 * model and saves.
 */
#include "commands.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/config_file.h"
#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/capture.h"
#include "../../sessions/key_post.h"
#include "../../sessions/key_script.h"
#include "../../sessions/putty_discovery.h"
#include "../../sessions/session.h"
#include "../dialogs/config_warn.h"
#include "../dialogs/dialog_util.h"
#include "../dialogs/launchers.h"
#include "../dialogs/prompts.h"
#include "../hotkeys/hotkeys.h"
#include "../shell/broadcast_bar.h"
#include "../shell/layout.h"
#include "../shell/main_window.h"
#include "../shell/menus.h"
#include "../shell/tabs.h"
#include "../shell/toolbar.h"
#include "../tree/tree_rules.h"
#include "../tree/tree_view.h"

ServerNode *ClipboardNode;

enum { CONNECT_FOLDER_ASK_ABOVE = 10 };


static void QueueServer(ServerNode *server, void *)
{
    QueueOpenSession(server);
}

static void ConnectFolder(ServerNode *folder)
{
    int n = NodeCountServers(folder);
    if (n > CONNECT_FOLDER_ASK_ABOVE &&
        ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION, L"서버 %d개에 한꺼번에 연결할까요?", n) != IDYES)
        return;
    ForEachServer(folder, QueueServer, NULL);
}

static void Connect(ServerNode *node)
{
    if (node->Type == NODE_SERVER)
        OpenSession(node);
    else
        ConnectFolder(node);
}

static void AddServer(ServerNode *selected)
{
    ServerNode *server = NodeNew(NODE_SERVER);
    StrAssign(&server->DisplayName, L"새 서버");
    if (!ShowServerProperties(server, PROPS_NEW)) {
        NodeFree(server);
        return;
    }
    ServerNode *folder = InsertionFolder(selected);
    NodeAppendChild(folder, server);
    folder->Expanded = 1;
    RefillTree(server);
    ConfigSaveOrWarn();
}

static void AddFolder(ServerNode *selected)
{
    ServerNode *created = NodeNew(NODE_FOLDER);
    StrAssign(&created->DisplayName, L"새 폴더");
    created->Expanded = 1;
    ServerNode *folder = InsertionFolder(selected);
    NodeAppendChild(folder, created);
    folder->Expanded = 1;
    RefillTree(created);
    ConfigSaveOrWarn();
    StartTreeRename(created);
}

/* Reloads the saved sessions after their login data changed. */
static void ReloadPuttySessions(void)
{
    LoadPuttySessions();
    RefillTree(NULL);
}

static void EditLoginData(ServerNode *node)
{
    ServerNode *work = NodeCopy(node, false);
    if (ShowServerProperties(work, PROPS_SAVED_SESSION)) {
        ServerNode *entry = PuttyLoginFind(node->SavedSession);
        if (!entry) {
            entry = NodeNew(NODE_SERVER);
            StrAssign(&entry->SavedSession, node->SavedSession);
            StrAssign(&entry->DisplayName, node->SavedSession);
            NodeAppendChild(PuttyLoginRoot, entry);
        }
        StrAssign(&entry->UserName, work->UserName);
        /* an unchanged password keeps its sealed form, also one that
         * another Windows user sealed and this one cannot open */
        const wchar_t *before = NodePassword(entry), *after = NodePassword(work);
        if (StrIsEmpty(before) != StrIsEmpty(after) || (!StrIsEmpty(before) && !StrEqual(before, after)))
            NodeSetPassword(entry, after);
        StrAssign(&entry->CLParams, work->CLParams);
        StrAssign(&entry->Script, work->Script);
        entry->PasswordMode = work->PasswordMode;
        entry->PasswordDelay = work->PasswordDelay;
        entry->ScriptDelay = work->ScriptDelay;
        ReloadPuttySessions();
        ConfigSaveOrWarn();
    }
    NodeFree(work);
}

static void Properties(ServerNode *node)
{
    if (node->Type == NODE_FOLDER) {
        if (!node->IsPuttySession)
            StartTreeRename(node);
    } else if (node->IsPuttySession) {
        EditLoginData(node);
    } else if (ShowServerProperties(node, PROPS_EDIT)) {
        RefillTree(node);
        ConfigSaveOrWarn();
    }
}

void ForgetClipboard(void)
{
    NodeFreeTree(ClipboardNode);
    ClipboardNode = NULL;
}

static void Copy(ServerNode *node)
{
    ForgetClipboard();
    ClipboardNode = NodeCopy(node, true);
}

static void Paste(ServerNode *selected)
{
    ServerNode *copy = NodeClone(ClipboardNode);
    ServerNode *folder = InsertionFolder(selected);
    NodeAppendChild(folder, copy);
    folder->Expanded = 1;
    RefillTree(copy);
    ConfigSaveOrWarn();
}

static void DeleteLoginData(ServerNode *node)
{
    ServerNode *entry = PuttyLoginFind(node->SavedSession);
    if (!entry) {
        ShowMessage(MainWindow, MB_ICONINFORMATION,
                    L"PuTTY 저장 세션 자체는 PuTTY에서 삭제하세요.\n"
                    L"이 세션에는 Kestrum가 저장한 로그인 정보가 없습니다.");
        return;
    }
    if (ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION,
                    L"'%s'에 저장된 로그인 정보(사용자·비밀번호·스크립트)를 삭제할까요?",
                    node->SavedSession ? node->SavedSession : L"") != IDYES)
        return;
    NodeUnlink(entry);
    NodeFreeTree(entry);
    ReloadPuttySessions();
    ConfigSaveOrWarn();
}

static void Delete(ServerNode *node)
{
    if (node->IsPuttySession) {
        DeleteLoginData(node);
        return;
    }
    const wchar_t *name = node->DisplayName ? node->DisplayName : L"";
    int answer;
    if (node->Type == NODE_FOLDER && node->FirstChild)
        answer = ShowMessage(MainWindow, MB_YESNO | MB_ICONEXCLAMATION, L"폴더 '%s'와 그 안의 서버 %d개를 삭제할까요?",
                             name, NodeCountServers(node));
    else
        answer = ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION, L"'%s'을(를) 삭제할까요?", name);
    if (answer != IDYES)
        return;
    ServerNode *next = DeleteSuccessor(node);
    NodeUnlink(node);
    NodeFreeTree(node);
    RefillTree(next);
    ConfigSaveOrWarn();
}

static void SortByName(ServerNode *selected)
{
    NodeSortChildren(InsertionFolder(selected));
    RefillTree(selected);
    ConfigSaveOrWarn();
}

static void Find(void)
{
    if (Settings.HideTree) {
        Settings.HideTree = 0;
        LayoutMainWindow();
    }
    SetFocus(FindBox);
    SendMessageW(FindBox, EM_SETSEL, 0, -1);
}

static void RenameTab(Session *s)
{
    int id = s->Id;
    wchar_t *text = InputDialog(L"탭 이름 바꾸기", L"새 탭 이름 (비워 두면 기본 이름):", s->Caption);
    if (!text)
        return;
    /* the session may have gone while the box was open */
    s = FindSessionById(id);
    if (!s) {
        MemFree(text);
        return;
    }
    if (text[0]) {
        StrCopyTo(s->Caption, CAPTION_MAX, text);
        s->CaptionIsCustom = true;
    } else {
        s->CaptionIsCustom = false;
        UpdateSessionCaption(s);
    }
    MemFree(text);
    RefreshSessionCaption(s);
}

static void Reconnect(Session *s)
{
    if (!s->Node)
        ShowMessage(MainWindow, MB_ICONINFORMATION, L"가져온(Attach) PuTTY 창은 다시 연결할 수 없습니다.");
    else
        ReconnectSession(s);
}

static void CloseMany(bool all)
{
    int n = SessionCount;
    int count = all ? n : n - 1;
    if (count <= 0)
        return;
    Session *keep = all ? NULL : ActiveSession();
    int keepId = keep ? keep->Id : 0;
    if (!Settings.NoCloseConfirm &&
        ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION, L"세션 %d개를 닫을까요?", count) != IDYES)
        return;
    /* the tab to keep is the one the question was about */
    keep = keepId ? FindSessionById(keepId) : NULL;
    if (keepId && !keep)
        return;
    /* servers of a folder still being opened would come in after the
     * close, and the ones opened while the question was open go too */
    if (all)
        DiscardQueuedSessions();
    CloseSessions(keep);
}

static void StepTab(int step)
{
    int n = SessionCount;
    if (n == 0)
        return;
    int a = ActiveIndex();
    if (a < 0)
        a = 0;
    ActivateSession((a + step + n) % n, true);
}

static void SwitchFocus(void)
{
    Session *s = ActiveSession();
    HWND focus = GetFocus();
    if (s && s->PuttyWindow && focus && (focus == s->PuttyWindow || IsChild(s->PuttyWindow, focus))) {
        if (Settings.HideTree) {
            Settings.HideTree = 0;
            LayoutMainWindow();
        }
        SetFocus(ServerTree);
    } else if (!FocusPutty(s)) {
        SetFocus(ServerTree);
    }
}

static void PuttyMenu(void)
{
    if (GetFocus() == ServerTree) {
        ServerNode *n = SelectedNode();
        if (!n || !n->TreeItem)
            return;
        /* TVM_GETITEMRECT takes the item in the rectangle it fills */
        RECT r;
        HTREEITEM item = (HTREEITEM)n->TreeItem;
        MemCopy(&r, &item, sizeof item);
        if (!SendMessageW(ServerTree, TVM_GETITEMRECT, TRUE, (LPARAM)&r))
            return;
        POINT pt = { r.left, r.bottom };
        ClientToScreen(ServerTree, &pt);
        ShowTreeContextMenu(pt.x, pt.y);
        return;
    }
    ShowPuttySystemMenu();
}

static void TogglePane(int *hidden)
{
    *hidden = !*hidden;
    LayoutMainWindow();
}

/* After Settings.PuttyPath changed: version, icons, saved sessions. */
static void PuttyPathChanged(void)
{
    ReadPuttyVersion();
    BuildTreeImageList();
    ReloadPuttySessions();
}

static void PuttyLocation(void)
{
    wchar_t path[KPATH];
    StrCopyTo(path, KPATH, Settings.PuttyPath);
    if (!ChooseFile(MainWindow, false, L"PuTTY / KiTTY (*.exe)\0*.exe\0", L"exe", path, KPATH))
        return;
    StrCopyTo(Settings.PuttyPath, KPATH, path);
    PuttyPathChanged();
    ConfigSaveOrWarn();
}

static void SessionLogFolder(void)
{
    wchar_t folder[KPATH];
    StrCopyTo(folder, KPATH, Settings.SessionLogFolder);
    if (!ChooseFolder(MainWindow, L"세션 로그를 남길 폴더를 고르세요.", folder))
        return;
    StrCopyTo(Settings.SessionLogFolder, KPATH, folder);
    ConfigSaveOrWarn();
}

static void SettingsCommand(void)
{
    wchar_t old[KPATH];
    StrCopyTo(old, KPATH, Settings.PuttyPath);
    if (!ShowSettingsDialog())
        return;
    if (StrCompareNoCase(old, Settings.PuttyPath) != 0)
        PuttyPathChanged();
    ApplyTabPosition();
    ConfigSaveOrWarn();
}

static void Hotkeys(void)
{
    if (!ShowHotkeysDialog())
        return;
    RebuildMenuBar();
    SetHotkeysActive(false);
    SetHotkeysActive(GetForegroundWindow() == MainWindow);
    ConfigSaveOrWarn();
    InvalidateRect(StartPageWindow, NULL, TRUE);
}

static void SpecialKey(int row)
{
    Session *s = ActiveSession();
    if (!s)
        return;
    SendSpecialKey(s->Id, row);
    FocusPutty(s);
}

static void MirroredSystemCommand(int index)
{
    Session *s = ActiveSession();
    if (s && s->PuttyWindow && index < SystemMenuMirrorCount)
        PostMessageW(s->PuttyWindow, WM_SYSCOMMAND, SystemMenuMirror[index], 0);
}

/* Commands about the selected tree node; false when id is not one. */
static bool TreeCommand(int id)
{
    ServerNode *t = SelectedNode();
    switch (id) {
    case CMD_CONNECT:
        if (t)
            Connect(t);
        return true;
    case CMD_CONNECT_FOLDER:
        if (t && t->Type == NODE_FOLDER)
            ConnectFolder(t);
        return true;
    case CMD_ADD_SERVER:
        AddServer(t);
        return true;
    case CMD_ADD_FOLDER:
        AddFolder(t);
        return true;
    case CMD_PROPERTIES:
        if (t)
            Properties(t);
        return true;
    case CMD_RENAME:
        if (t && !t->IsPuttySession)
            StartTreeRename(t);
        return true;
    case CMD_DUPLICATE_NODE:
        if (t && !t->IsPuttySession) {
            RefillTree(DuplicateNode(t));
            ConfigSaveOrWarn();
        }
        return true;
    case CMD_COPY:
        if (t && t != PuttySessionsFolder)
            Copy(t);
        return true;
    case CMD_PASTE:
        if (ClipboardNode)
            Paste(t);
        return true;
    case CMD_DELETE:
        if (t && t != PuttySessionsFolder)
            Delete(t);
        return true;
    case CMD_SORT_BY_NAME:
        SortByName(t);
        return true;
    case CMD_BULK_PASSWORD:
        ShowBulkPasswordDialog(BulkPasswordFolder(t));
        RefillTree(t);
        ConfigSaveOrWarn();
        return true;
    }
    return false;
}

/* Commands about the active session; false when id is not one. */
static bool SessionCommand(int id)
{
    Session *s = ActiveSession();
    switch (id) {
    case CMD_SEND_SCRIPT:
        if (SessionCount > 0) {
            ShowSendScriptDialog();
            FocusPutty(ActiveSession());
        }
        return true;
    case CMD_RENAME_TAB:
        if (s)
            RenameTab(s);
        return true;
    case CMD_DUPLICATE_SESSION:
        if (s && s->Node)
            OpenSession(s->Node);
        return true;
    case CMD_RECONNECT:
        if (s)
            Reconnect(s);
        return true;
    case CMD_DETACH:
        if (s && s->PuttyWindow)
            DetachSession(s);
        return true;
    case CMD_CLOSE_TAB:
        RequestCloseSession(s);
        return true;
    case CMD_CLOSE_OTHER_TABS:
    case CMD_CLOSE_ALL_TABS:
        CloseMany(id == CMD_CLOSE_ALL_TABS);
        return true;
    case CMD_NEXT_TAB:
    case CMD_PREV_TAB:
        StepTab(id == CMD_NEXT_TAB ? 1 : -1);
        return true;
    case CMD_BROADCAST_MEMBER:
        if (s)
            SetBroadcastMember(s, !s->Broadcast);
        return true;
    case CMD_BROADCAST_ALL:
    case CMD_BROADCAST_NONE:
        SetEveryBroadcastMember(id == CMD_BROADCAST_ALL);
        return true;
    case CMD_RECONNECT_ENDED:
        ReconnectEndedSessions();
        return true;
    }
    return false;
}

/* Open sessions keep the colour they were opened with. */
static void SetNodeColor(int color)
{
    ServerNode *t = SelectedNode();
    if (!t || t == PuttySessionsFolder || t->IsPuttySession || t->Color == color)
        return;
    t->Color = color;
    RefillTree(t);
    ConfigSaveOrWarn();
}

/* Commands that act on the active session. */
static bool IsSessionCommand(int id)
{
    switch (id) {
    case CMD_SEND_SCRIPT:
    case CMD_RENAME_TAB:
    case CMD_DUPLICATE_SESSION:
    case CMD_RECONNECT:
    case CMD_DETACH:
    case CMD_CLOSE_TAB:
    case CMD_CLOSE_OTHER_TABS:
    case CMD_BROADCAST_MEMBER:
        return true;
    }
    return (id >= CMD_SPECIAL_KEY_FIRST && id <= CMD_SPECIAL_KEY_LAST) ||
           (id >= CMD_PUTTY_SYSMENU_FIRST && id <= CMD_PUTTY_SYSMENU_LAST);
}

void ExecuteCommandFor(int id, int sessionId)
{
    if (sessionId && IsSessionCommand(id)) {
        Session *s = FindSessionById(sessionId);
        if (!s)
            return;
        if (s != ActiveSession())
            ActivateSession(SessionIndex(s), false);
    }
    ExecuteCommand(id);
}

void ExecuteCommand(int id)
{
    if (id >= CMD_SPECIAL_KEY_FIRST && id <= CMD_SPECIAL_KEY_LAST) {
        SpecialKey(id - CMD_SPECIAL_KEY_FIRST);
        return;
    }
    if (id >= CMD_PUTTY_SYSMENU_FIRST && id <= CMD_PUTTY_SYSMENU_LAST) {
        MirroredSystemCommand(id - CMD_PUTTY_SYSMENU_FIRST);
        return;
    }
    if (id >= CMD_COLOR_FIRST && id <= CMD_COLOR_LAST) {
        SetNodeColor(id - CMD_COLOR_FIRST);
        return;
    }
    if (TreeCommand(id) || SessionCommand(id))
        return;
    switch (id) {
    case CMD_QUICK_CONNECT:
        ShowQuickConnectDialog();
        FillRecentsCombo();
        break;
    case CMD_ATTACH_WINDOWS: {
        HWND window = ChooseWindowToAttach();
        if (window)
            AttachWindow(window);
        break;
    }
    case CMD_IMPORT_TREE:
        ImportTreeCommand();
        break;
    case CMD_EXPORT_TREE:
        ExportTreeCommand();
        break;
    case CMD_IMPORT_MTPUTTY:
        ImportMtputtyCommand();
        break;
    case CMD_RELOAD_PUTTY_SESSIONS:
        ReloadPuttySessions();
        break;
    case CMD_EXIT:
        PostMessageW(MainWindow, WM_CLOSE, 0, 0);
        break;
    case CMD_FIND:
        Find();
        break;
    case CMD_FIND_NEXT:
        FindNext(false);
        break;
    case CMD_SWITCH_FOCUS:
        SwitchFocus();
        break;
    case CMD_PUTTY_MENU:
        PuttyMenu();
        break;
    case CMD_TOGGLE_TREE:
        TogglePane(&Settings.HideTree);
        break;
    case CMD_TOGGLE_SESSION_LIST:
        TogglePane(&Settings.HideSessions);
        break;
    case CMD_TOGGLE_TOOLBAR:
        TogglePane(&Settings.HideToolbar);
        break;
    case CMD_TOGGLE_MENU:
        ToggleMenuBar();
        break;
    case CMD_TOGGLE_BROADCAST_BAR:
        ToggleBroadcastBar();
        break;
    case CMD_VIEW_MEMBERS_ONLY:
        Settings.ViewMembersOnly = !Settings.ViewMembersOnly;
        SetViewMode(Settings.ViewMode);
        break;
    case CMD_VIEW_SINGLE:
    case CMD_VIEW_SIDE_BY_SIDE:
    case CMD_VIEW_STACKED:
    case CMD_VIEW_GRID:
        SetViewMode(id - CMD_VIEW_SINGLE);
        break;
    case CMD_TABS_TOP:
    case CMD_TABS_BOTTOM:
        Settings.TabBottom = id == CMD_TABS_BOTTOM;
        ApplyTabPosition();
        break;
    case CMD_PUTTY_LOCATION:
        PuttyLocation();
        break;
    case CMD_SETTINGS:
        SettingsCommand();
        break;
    case CMD_SESSION_LOG_FOLDER:
        SessionLogFolder();
        break;
    case CMD_SESSION_LOG:
        if (Settings.SessionLogFolder[0]) {
            Settings.SessionLog = !Settings.SessionLog;
            ConfigSaveOrWarn();
        }
        break;
    case CMD_HOTKEYS:
        Hotkeys();
        break;
    case CMD_SCRIPT_SYNTAX:
        ShowScriptSyntax(MainWindow);
        break;
    case CMD_ABOUT:
        ShowAbout();
        break;
    case CMD_QUICK_CONNECT_BOX:
        if (GetWindowTextLengthW(QuickConnectBox) > 0)
            ConnectQuickBox();
        break;
    default:
        break;
    }
}
