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
add_executable(fault_tests faulty_platform.cpp test_save_faults.cpp test_util.cpp)
foreach(symbol ${FAULT_WRAPPED})
    target_link_options(fault_tests PRIVATE -Wl,--wrap=${symbol})
endforeach()
if(WIN32)
    target_sources(fault_tests PRIVATE stub_prompts.cpp)
    target_compile_definitions(fault_tests PRIVATE UNICODE _UNICODE)
    target_link_libraries(fault_tests PRIVATE kestrum_win gtest_main)
    target_link_options(fault_tests PRIVATE -static)
    kestrum_checked_heap(fault_tests)
else()
    target_link_libraries(fault_tests PRIVATE kestrum_pure gtest_main)
endif()
kestrum_add_suites(fault_tests SaveFaults SaveFaultsConfig)

# Kestrum.exe on a damaged configuration, and a process that runs out of
# memory.
if(WIN32)
    list(APPEND WIN_SOURCES test_broken_config_win.cpp test_memory_win.cpp program_util.cpp)
    list(APPEND WIN_SUITES BrokenConfig OutOfMemoryProgram)
    add_executable(oom_helper oom_helper.cpp)
    target_link_libraries(oom_helper PRIVATE kestrum_pure)
    target_link_options(oom_helper PRIVATE -static)
    list(APPEND WIN_HELPERS Kestrum putty_double oom_helper)
endif()
