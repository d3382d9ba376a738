# Toolbar row, find box, start page and the settings dialog: the
# dialog's rules (pure), the controls in the real main window, and the
# dialog inside Kestrum.exe.
list(APPEND UNIT_SOURCES test_settings_rules.cpp)
list(APPEND UNIT_SUITES SettingsRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_shell_ui_win.cpp)
    list(APPEND WIN_SUITES ToolbarRow FindBoxKeys StartPageView SettingsDialog SettingsSearch SettingsProgram)
endif()
