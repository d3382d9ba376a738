# The send-script dialog: its pure rules, and the dialog over sessions of
# the PuTTY double.
list(APPEND UNIT_SOURCES test_send_rules.cpp)
list(APPEND UNIT_SUITES SendRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_send_script_win.cpp)
    list(APPEND WIN_SUITES SendScriptDialog)
endif()
