# Server properties dialog: its rules, and the dialog opened in-process.
list(APPEND UNIT_SOURCES test_properties_rules.cpp)
list(APPEND UNIT_SUITES PropertiesRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_properties_win.cpp)
    list(APPEND WIN_SUITES ServerProperties)
endif()
