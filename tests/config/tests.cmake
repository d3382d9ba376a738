# The server tree, the configuration file, the MTPuTTY import and the
# tree export and import.
list(APPEND UNIT_SOURCES
    config/test_server_tree.cpp config/test_config.cpp config/test_mtputty_import.cpp config/test_tree_exchange.cpp)
list(APPEND UNIT_SUITES ServerTree NodeXml Settings ConfigFile MtputtyImport TreeExchange)

# Saving under failing file calls: a test program whose platform file
# calls are wrapped at link time by ones that fail on demand
# (faulty_platform.h); the product's objects are linked unchanged.  The
# Windows one also sees the warning, through the recording prompts.
set(FAULT_WRAPPED
    _Z14PlatFileCreatePKw
    _Z13PlatFileWriteP11PlatFileRecPKvjPj
    _Z13PlatFileFlushP11PlatFileRec
    _Z15PlatFileReplacePKwS0_
    _Z12PlatFileCopyPKwS0_
    _Z11PlatProtectPKvjPPhPj)
add_executable(fault_tests fixtures/faulty_platform.cpp config/test_save_faults.cpp fixtures/test_util.cpp)
foreach(symbol ${FAULT_WRAPPED})
    target_link_options(fault_tests PRIVATE -Wl,--wrap=${symbol})
endforeach()
if(WIN32)
    target_sources(fault_tests PRIVATE fixtures/stub_prompts.cpp)
    target_compile_definitions(fault_tests PRIVATE UNICODE _UNICODE)
    target_link_libraries(fault_tests PRIVATE kestrum_win gtest_main)
    target_link_options(fault_tests PRIVATE -static)
    kestrum_checked_heap(fault_tests)
else()
    target_link_libraries(fault_tests PRIVATE kestrum_pure gtest_main)
endif()
kestrum_add_suites(fault_tests SaveFaults SaveFaultsConfig)
