# Tree export and import, and the bulk password change: the rules without
# windows; the commands against the real main window, the dialog opened
# in-process, and Kestrum.exe driven through its file choosers.
list(APPEND UNIT_SOURCES test_tree_exchange.cpp)
list(APPEND UNIT_SUITES TreeExchange BulkRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_tree_exchange_win.cpp test_tree_exchange_program_win.cpp)
    list(APPEND WIN_SUITES TreeExchangeCommand BulkPassword TreeExchangeProgram)
endif()
