# Hotkeys: the assignment rules, the dialog and the registration.
list(APPEND UNIT_SOURCES test_hotkeys.cpp)
list(APPEND UNIT_SUITES HotkeyRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_hotkey_dialog_win.cpp)
    list(APPEND WIN_SUITES HotkeyDialog)
endif()
