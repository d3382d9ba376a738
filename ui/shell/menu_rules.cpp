/*
 * menu_rules.cpp: menu contents and the enable and check rules.
 */
#include "menu_rules.h"

#include "../../config/server_tree.h"
#include "../commands/command_ids.h"

#define POPUP(label) { MENU_ROW_POPUP, label, 0 }
#define ITEM(label, command) { MENU_ROW_ITEM, label, command }
#define SEPARATOR { MENU_ROW_SEPARATOR, 0, 0 }

const wchar_t *const ColorLabels[8] = {
    L"없음 (상위 폴더를 따름)", L"빨강", L"주황", L"노랑", L"초록", L"파랑", L"보라", L"회색",
};

const MenuRow MenuBarRows[] = {
    POPUP(L"파일(&F)"),
    ITEM(L"빠른 연결(&Q)…", CMD_QUICK_CONNECT),
    ITEM(L"열린 PuTTY 창 가져오기(&A)…", CMD_ATTACH_WINDOWS),
    SEPARATOR,
    ITEM(L"트리 가져오기(&I)…", CMD_IMPORT_TREE),
    ITEM(L"트리 내보내기(&E)…", CMD_EXPORT_TREE),
    ITEM(L"MTPuTTY 설정 가져오기(&M)…", CMD_IMPORT_MTPUTTY),
    ITEM(L"PuTTY 세션 다시 읽기(&R)", CMD_RELOAD_PUTTY_SESSIONS),
    SEPARATOR,
    ITEM(L"끝내기(&X)", CMD_EXIT),

    POPUP(L"서버(&S)"),
    ITEM(L"연결(&C)", CMD_CONNECT),
    ITEM(L"폴더 전체 연결(&L)", CMD_CONNECT_FOLDER),
    SEPARATOR,
    ITEM(L"서버 추가(&S)…", CMD_ADD_SERVER),
    ITEM(L"폴더 추가(&F)", CMD_ADD_FOLDER),
    ITEM(L"속성(&P)…", CMD_PROPERTIES),
    { MENU_ROW_COLORS, L"색 표시", 0 },
    ITEM(L"이름 바꾸기(&N)", CMD_RENAME),
    ITEM(L"복제(&D)", CMD_DUPLICATE_NODE),
    ITEM(L"복사(&Y)", CMD_COPY),
    ITEM(L"붙여넣기(&V)", CMD_PASTE),
    ITEM(L"삭제(&R)", CMD_DELETE),
    SEPARATOR,
    ITEM(L"이름순 정렬(&O)", CMD_SORT_BY_NAME),
    ITEM(L"서버 찾기(&I)", CMD_FIND),
    /* F3 belongs to the find box; no hotkey action runs this command */
    ITEM(L"다음 찾기\tF3", CMD_FIND_NEXT),
    ITEM(L"비밀번호 일괄 변경(&U)…", CMD_BULK_PASSWORD),

    POPUP(L"세션(&E)"),
    ITEM(L"스크립트 보내기(&S)…", CMD_SEND_SCRIPT),
    { MENU_ROW_SPECIAL_KEYS, L"특수 키 보내기(&K)", 0 },
    SEPARATOR,
    ITEM(L"탭 이름 바꾸기(&N)…", CMD_RENAME_TAB),
    ITEM(L"세션 복제(&D)", CMD_DUPLICATE_SESSION),
    ITEM(L"다시 연결(&R)", CMD_RECONNECT),
    ITEM(L"끝난 세션 모두 다시 연결(&E)", CMD_RECONNECT_ENDED),
    ITEM(L"분리 - 별도 창으로(&T)", CMD_DETACH),
    ITEM(L"PuTTY 메뉴(&P)", CMD_PUTTY_MENU),
    SEPARATOR,
    ITEM(L"닫기(&C)", CMD_CLOSE_TAB),
    ITEM(L"다른 탭 모두 닫기(&O)", CMD_CLOSE_OTHER_TABS),
    ITEM(L"모두 닫기(&A)", CMD_CLOSE_ALL_TABS),
    SEPARATOR,
    ITEM(L"동시 입력에 포함(&B)", CMD_BROADCAST_MEMBER),
    ITEM(L"모든 세션을 동시 입력에 포함(&G)", CMD_BROADCAST_ALL),
    ITEM(L"동시 입력에서 모두 빼기(&U)", CMD_BROADCAST_NONE),
    SEPARATOR,
    ITEM(L"다음 탭", CMD_NEXT_TAB),
    ITEM(L"이전 탭", CMD_PREV_TAB),
    ITEM(L"트리 ↔ PuTTY 포커스 전환", CMD_SWITCH_FOCUS),

    POPUP(L"보기(&V)"),
    ITEM(L"서버 트리(&T)", CMD_TOGGLE_TREE),
    ITEM(L"세션 목록(&L)", CMD_TOGGLE_SESSION_LIST),
    ITEM(L"도구 모음(&B)", CMD_TOGGLE_TOOLBAR),
    ITEM(L"메뉴 표시줄(&M)", CMD_TOGGLE_MENU),
    ITEM(L"동시 입력 줄(&I)", CMD_TOGGLE_BROADCAST_BAR),
    SEPARATOR,
    ITEM(L"탭 하나씩 보기(&1)", CMD_VIEW_SINGLE),
    ITEM(L"좌우로 나란히(&2)", CMD_VIEW_SIDE_BY_SIDE),
    ITEM(L"위아래로 나란히(&3)", CMD_VIEW_STACKED),
    ITEM(L"바둑판(&4)", CMD_VIEW_GRID),
    ITEM(L"묶인 세션만 보기(&G)", CMD_VIEW_MEMBERS_ONLY),
    SEPARATOR,
    ITEM(L"탭 위치: 위(&U)", CMD_TABS_TOP),
    ITEM(L"탭 위치: 아래(&D)", CMD_TABS_BOTTOM),

    POPUP(L"도구(&T)"),
    ITEM(L"PuTTY 위치(&P)…", CMD_PUTTY_LOCATION),
    ITEM(L"설정(&S)…", CMD_SETTINGS),
    ITEM(L"단축키(&H)…", CMD_HOTKEYS),
    SEPARATOR,
    ITEM(L"세션 로그 폴더…", CMD_SESSION_LOG_FOLDER),
    ITEM(L"세션 로그 남기기", CMD_SESSION_LOG),

    POPUP(L"도움말(&H)"),
    ITEM(L"스크립트 문법(&S)", CMD_SCRIPT_SYNTAX),
    ITEM(L"Kestrum 정보(&A)", CMD_ABOUT),
};
const int MenuBarRowCount = (int)(sizeof MenuBarRows / sizeof MenuBarRows[0]);

void MenuStateSetNode(MenuState *st, const ServerNode *node, const ServerNode *puttyFolder)
{
    st->Node = MENU_NODE_NONE;
    st->NodeHasChildren = false;
    st->NodePutty = MENU_PUTTY_NONE;
    if (!node)
        return;
    st->Node = node->Type == NODE_FOLDER ? MENU_NODE_FOLDER : MENU_NODE_SERVER;
    st->NodeHasChildren = node->FirstChild != 0;
    st->NodeColor = node->Color;
    if (node == puttyFolder)
        st->NodePutty = MENU_PUTTY_FOLDER;
    else if (node->IsPuttySession)
        st->NodePutty = MENU_PUTTY_ENTRY;
}

static void Enable(MenuItemRule *rule, bool enabled)
{
    rule->Enables = true;
    rule->Grayed = !enabled;
}

static void Check(MenuItemRule *rule, bool checked)
{
    rule->Checks = true;
    rule->Checked = checked;
}

static void Radio(MenuItemRule *rule, int first, int last, int chosen, int command)
{
    Check(rule, command == chosen);
    rule->RadioFirst = first;
    rule->RadioLast = last;
}

bool MenuItemRuleOf(const MenuState *st, int command, MenuItemRule *rule)
{
    *rule = MenuItemRule();
    bool node = st->Node != MENU_NODE_NONE;
    bool server = st->Node == MENU_NODE_SERVER;
    bool folder = st->Node == MENU_NODE_FOLDER;
    switch (command) {
    case CMD_TOGGLE_TREE: Check(rule, !st->HideTree); break;
    case CMD_TOGGLE_SESSION_LIST: Check(rule, !st->HideSessions); break;
    case CMD_TOGGLE_TOOLBAR: Check(rule, !st->HideToolbar); break;
    case CMD_TOGGLE_MENU: Check(rule, !st->HideMenu); break;
    case CMD_TOGGLE_BROADCAST_BAR: Check(rule, st->BroadcastBar); break;
    case CMD_VIEW_MEMBERS_ONLY: Check(rule, st->MembersOnly); break;
    case CMD_SESSION_LOG:
        Enable(rule, st->LogFolderChosen);
        Check(rule, st->LogFolderChosen && st->SessionLog);
        break;
    case CMD_BROADCAST_MEMBER:
        Enable(rule, st->HasActive);
        Check(rule, st->ActiveIsMember);
        break;
    case CMD_BROADCAST_ALL: Enable(rule, st->SessionCount > 0); break;
    case CMD_BROADCAST_NONE: Enable(rule, st->MemberCount > 0); break;
    case CMD_RECONNECT_ENDED: Enable(rule, st->AnyEnded); break;
    case CMD_VIEW_SINGLE:
    case CMD_VIEW_SIDE_BY_SIDE:
    case CMD_VIEW_STACKED:
    case CMD_VIEW_GRID:
        Radio(rule, CMD_VIEW_SINGLE, CMD_VIEW_GRID, CMD_VIEW_SINGLE + st->ViewMode, command);
        break;
    case CMD_TABS_TOP:
    case CMD_TABS_BOTTOM:
        Radio(rule, CMD_TABS_TOP, CMD_TABS_BOTTOM, st->TabBottom ? CMD_TABS_BOTTOM : CMD_TABS_TOP, command);
        break;
    case CMD_SEND_SCRIPT: Enable(rule, st->SessionCount > 0); break;
    case CMD_RENAME_TAB: Enable(rule, st->HasActive); break;
    case CMD_DUPLICATE_SESSION:
    case CMD_RECONNECT: Enable(rule, st->HasActive && st->ActiveHasNode); break;
    case CMD_DETACH:
    case CMD_PUTTY_MENU: Enable(rule, st->HasActive && st->ActiveHasWindow); break;
    case CMD_CLOSE_TAB: Enable(rule, st->HasActive); break;
    case CMD_CLOSE_OTHER_TABS: Enable(rule, st->SessionCount >= 2); break;
    case CMD_CLOSE_ALL_TABS: Enable(rule, st->SessionCount > 0); break;
    case CMD_CONNECT: Enable(rule, server); break;
    case CMD_CONNECT_FOLDER: Enable(rule, folder && st->NodeHasChildren); break;
    case CMD_PROPERTIES: Enable(rule, server || (folder && st->NodePutty != MENU_PUTTY_FOLDER)); break;
    case CMD_RENAME:
    case CMD_DUPLICATE_NODE: Enable(rule, node && st->NodePutty == MENU_PUTTY_NONE); break;
    case CMD_COPY:
    case CMD_DELETE: Enable(rule, node && st->NodePutty != MENU_PUTTY_FOLDER); break;
    case CMD_PASTE: Enable(rule, st->ClipboardFull); break;
    default:
        if (command < CMD_COLOR_FIRST || command > CMD_COLOR_LAST)
            return false;
        /* PuTTY's saved sessions come from the registry: no colour */
        Enable(rule, node && st->NodePutty == MENU_PUTTY_NONE);
        Radio(rule, CMD_COLOR_FIRST, CMD_COLOR_LAST, CMD_COLOR_FIRST + st->NodeColor, command);
    }
    return true;
}

static void Add(MenuRow *rows, int *n, int kind, const wchar_t *label, int command)
{
    rows[*n].Kind = kind;
    rows[*n].Label = label;
    rows[*n].Command = command;
    ++*n;
}

int TabContextMenuRows(const MenuState *st, MenuRow rows[TAB_MENU_MAX])
{
    int n = 0;
    if (st->HasActive) {
        Add(rows, &n, MENU_ROW_ITEM, L"탭 이름 바꾸기…", CMD_RENAME_TAB);
        Add(rows, &n, MENU_ROW_ITEM, L"세션 복제", CMD_DUPLICATE_SESSION);
        Add(rows, &n, MENU_ROW_ITEM, L"다시 연결", CMD_RECONNECT);
        Add(rows, &n, MENU_ROW_ITEM, L"스크립트 보내기…", CMD_SEND_SCRIPT);
        Add(rows, &n, MENU_ROW_SPECIAL_KEYS, L"특수 키 보내기", 0);
        Add(rows, &n, MENU_ROW_ITEM, L"분리 - 별도 창으로", CMD_DETACH);
        /* a window not captured yet has no system menu to mirror */
        if (st->ActiveHasWindow)
            Add(rows, &n, MENU_ROW_PUTTY_MENU, L"PuTTY 메뉴", 0);
        Add(rows, &n, MENU_ROW_SEPARATOR, 0, 0);
        Add(rows, &n, MENU_ROW_ITEM, L"닫기", CMD_CLOSE_TAB);
        Add(rows, &n, MENU_ROW_ITEM, L"다른 탭 모두 닫기", CMD_CLOSE_OTHER_TABS);
        Add(rows, &n, MENU_ROW_ITEM, L"모두 닫기", CMD_CLOSE_ALL_TABS);
        Add(rows, &n, MENU_ROW_SEPARATOR, 0, 0);
        Add(rows, &n, MENU_ROW_ITEM, L"동시 입력에 포함", CMD_BROADCAST_MEMBER);
    }
    /* With the bar or the toolbar hidden this menu is the way back. */
    if (st->HideMenu || st->HideToolbar) {
        if (st->HasActive)
            Add(rows, &n, MENU_ROW_SEPARATOR, 0, 0);
        if (st->HideMenu)
            Add(rows, &n, MENU_ROW_ITEM, L"메뉴 표시줄 보이기", CMD_TOGGLE_MENU);
        if (st->HideToolbar)
            Add(rows, &n, MENU_ROW_ITEM, L"도구 모음 보이기", CMD_TOGGLE_TOOLBAR);
    }
    if (!st->HasActive && !st->HideMenu && !st->HideToolbar)
        Add(rows, &n, MENU_ROW_ITEM, L"빠른 연결…", CMD_QUICK_CONNECT);
    return n;
}
