# The user interface: pure rules in both flavours; under Windows the real
# main window, its menus and controls, the commands and the dialogs in
# this process, with message boxes and choosers recorded.
list(APPEND UNIT_SOURCES
    ui/shell/test_shell_rules.cpp ui/shell/test_menu_rules.cpp ui/shell/test_broadcast_rules.cpp ui/tree/test_tree_rules.cpp
    ui/dialogs/test_attach_rules.cpp ui/dialogs/test_properties_rules.cpp ui/dialogs/test_quick_rules.cpp
    ui/dialogs/test_send_rules.cpp ui/dialogs/test_settings_rules.cpp ui/dialogs/test_bulk_rules.cpp
    ui/hotkeys/test_hotkeys.cpp)
list(APPEND UNIT_SUITES Layout TabTexts BroadcastRules MenuRules TreeRules AttachRules PropertiesRules QuickRules SendRules
    SettingsRules BulkRules HotkeyRules)
if(WIN32)
    list(APPEND WIN_SOURCES
        ui/shell/test_menus_win.cpp ui/shell/test_shell_ui_win.cpp ui/shell/test_modal_win.cpp
        ui/shell/test_broadcast_win.cpp
        ui/commands/test_commands_win.cpp ui/commands/test_mtputty_win.cpp ui/commands/test_tree_exchange_win.cpp
        ui/dialogs/test_attach_win.cpp ui/dialogs/test_properties_win.cpp ui/dialogs/test_quick_connect_win.cpp
        ui/dialogs/test_send_script_win.cpp ui/dialogs/test_settings_dialog_win.cpp ui/dialogs/test_config_warn.cpp
        ui/hotkeys/test_hotkey_dialog_win.cpp)
    list(APPEND WIN_SUITES Menus HotkeyText ToolbarRow FindBoxKeys StartPageView ModalPoints CheckedHeap PuttyBoxes
        BroadcastBar
        Commands ExitWipe MtputtyCommand TreeExchangeCommand BulkPassword
        AttachDialog ServerProperties QuickConnect SendScriptDialog SettingsDialog SettingsSearch ConfigWarn
        HotkeyDialog)
endif()
