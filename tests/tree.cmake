# Server tree view: its pure rules.
list(APPEND UNIT_SOURCES test_tree_rules.cpp)
list(APPEND UNIT_SUITES TreeRules)
