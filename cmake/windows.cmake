# Windows build (MinGW-w64): the program, its Windows-side tests and the
# end-to-end driver, all run under Wine by ctest.
set(WIN_LIBS comctl32 winhttp shlwapi shell32 user32 gdi32 advapi32 ole32 version)
set(WIN_DEFS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

add_library(callwarden_win STATIC ${WIN_SOURCES})
target_link_libraries(callwarden_win PUBLIC callwarden_core ${WIN_LIBS})
target_compile_definitions(callwarden_win PUBLIC ${WIN_DEFS})
target_compile_definitions(callwarden_core PUBLIC ${WIN_DEFS})
target_compile_options(callwarden_win PRIVATE ${WARNINGS})

add_executable(Olvex-Callwarden WIN32 ${ENTRY_SOURCE} ${CMAKE_SOURCE_DIR}/resources/callwarden.rc)
target_link_libraries(Olvex-Callwarden PRIVATE callwarden_win)
target_compile_options(Olvex-Callwarden PRIVATE ${WARNINGS})
target_link_options(Olvex-Callwarden PRIVATE -municode -mwindows)
set_target_properties(Olvex-Callwarden PROPERTIES OUTPUT_NAME Olvex-Callwarden)

# A build of the same program with test hooks (a faster or settable clock).
# The shipped Olvex-Callwarden.exe never contains them.
add_executable(Olvex-Callwarden-testhooks WIN32 ${ENTRY_SOURCE} ${WIN_SOURCES} ${CMAKE_SOURCE_DIR}/resources/callwarden.rc)
target_link_libraries(Olvex-Callwarden-testhooks PRIVATE callwarden_core ${WIN_LIBS})
target_compile_definitions(Olvex-Callwarden-testhooks PRIVATE CALLWARDEN_TEST_HOOKS=1)
target_compile_options(Olvex-Callwarden-testhooks PRIVATE ${WARNINGS})
target_link_options(Olvex-Callwarden-testhooks PRIVATE -municode -mwindows)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows-side tests of the real API, in-process.
file(GLOB WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(WIN_TESTS)
  add_executable(win_tests ${WIN_TESTS})
  target_link_libraries(win_tests PRIVATE callwarden_win gtest_main)
  add_test(NAME win_tests COMMAND win_tests)
  set(WIN_TESTS_TARGET win_tests)
  set_tests_properties(win_tests PROPERTIES LABELS win TIMEOUT 600)
endif()

# Small helper programs the end-to-end tests start (dummy tools and the like).
file(GLOB E2E_HELPERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/helpers/*.cpp)
foreach(src IN LISTS E2E_HELPERS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_definitions(${name} PRIVATE ${WIN_DEFS})
  target_link_options(${name} PRIVATE -municode -mwindows)
  target_link_libraries(${name} PRIVATE user32)
  if(WIN_TESTS_TARGET)
    add_dependencies(win_tests ${name}) # win_tests starts these programs too
  endif()
endforeach()

# The dummy tool again with version resources: one names a listed tool whatever its file is
# called, the other an ordinary program.
set(VERSIONED_DUMMIES disguised_tool ordinary_tool)
foreach(name IN LISTS VERSIONED_DUMMIES)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/e2e/helpers/dummy_tool.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/helpers/${name}.rc)
  target_compile_definitions(${name} PRIVATE ${WIN_DEFS})
  target_link_options(${name} PRIVATE -municode -mwindows)
  target_link_libraries(${name} PRIVATE user32)
endforeach()

# End-to-end: a test program that starts the real .exe and drives it.
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(E2E_TESTS)
  add_executable(e2e_tests ${E2E_TESTS} ${CMAKE_SOURCE_DIR}/tests/soak/test_control_win.cpp)
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(e2e_tests PRIVATE gtest_main ${WIN_LIBS})
  target_compile_definitions(e2e_tests PRIVATE ${WIN_DEFS}
    CALLWARDEN_VENDOR_DOMAIN="${CALLWARDEN_VENDOR_DOMAIN}")
  add_dependencies(e2e_tests Olvex-Callwarden Olvex-Callwarden-testhooks ${VERSIONED_DUMMIES})
  if(E2E_HELPERS)
    foreach(src IN LISTS E2E_HELPERS)
      get_filename_component(name ${src} NAME_WE)
      add_dependencies(e2e_tests ${name})
    endforeach()
  endif()
  add_test(NAME e2e_tests COMMAND e2e_tests)
  set_tests_properties(e2e_tests PROPERTIES LABELS e2e TIMEOUT 1200
    ENVIRONMENT "CALLWARDEN_BIN_DIR=${CMAKE_BINARY_DIR}")
endif()

# Soak driver: takes the test-hook build through a compressed day under Wine (scripts/soak).
file(GLOB SOAK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/soak/*.cpp)
if(SOAK_SOURCES)
  add_executable(soak_driver ${SOAK_SOURCES})
  target_include_directories(soak_driver PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(soak_driver PRIVATE ${WIN_DEFS}
    CALLWARDEN_VENDOR_DOMAIN="${CALLWARDEN_VENDOR_DOMAIN}")
  target_compile_options(soak_driver PRIVATE ${WARNINGS})
  target_link_options(soak_driver PRIVATE -municode)
  target_link_libraries(soak_driver PRIVATE user32 psapi winhttp advapi32 kernel32)
  add_dependencies(soak_driver Olvex-Callwarden-testhooks)
  if(TARGET dummy_tool)
    add_dependencies(soak_driver dummy_tool)
  endif()
endif()

# Benchmarks (scripts/bench): programs that print figures; none passes or fails on time.
set(BENCH_DIR ${CMAKE_SOURCE_DIR}/tests/bench)
add_library(bench_support STATIC ${BENCH_DIR}/bench_stats.cpp ${BENCH_DIR}/bench_clock_win.cpp
  ${BENCH_DIR}/process_crowd_win.cpp)
target_include_directories(bench_support PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(bench_support PUBLIC ${WIN_DEFS})
target_compile_options(bench_support PRIVATE ${WARNINGS})

# Links the program's own library, so the sweep timed is the one the program runs.
add_executable(bench_blocker_tick ${BENCH_DIR}/blocker_tick_bench.cpp)
target_link_libraries(bench_blocker_tick PRIVATE bench_support callwarden_win)
target_compile_options(bench_blocker_tick PRIVATE ${WARNINGS})
add_dependencies(bench_blocker_tick ordinary_tool) # the crowd is made of its copies

add_executable(bench_startup ${BENCH_DIR}/startup_bench.cpp ${BENCH_DIR}/tray_anchor_win.cpp)
target_link_libraries(bench_startup PRIVATE bench_support shell32 user32 gdi32)
target_compile_options(bench_startup PRIVATE ${WARNINGS})
add_dependencies(bench_startup Olvex-Callwarden)

add_executable(bench_stats_test ${BENCH_DIR}/bench_stats_test.cpp)
target_link_libraries(bench_stats_test PRIVATE bench_support gtest_main)
add_test(NAME bench_stats_test COMMAND bench_stats_test)
set_tests_properties(bench_stats_test PROPERTIES LABELS bench TIMEOUT 120)
