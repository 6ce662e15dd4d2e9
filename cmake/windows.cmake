# Windows build (MinGW-w64): the program, its Windows-side tests and the
# end-to-end driver, all run under Wine by ctest.
set(WIN_LIBS comctl32 winhttp shlwapi shell32 user32 gdi32 advapi32 ole32)
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
endforeach()

# End-to-end: a test program that starts the real .exe and drives it.
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(E2E_TESTS)
  add_executable(e2e_tests ${E2E_TESTS})
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(e2e_tests PRIVATE gtest_main ${WIN_LIBS})
  target_compile_definitions(e2e_tests PRIVATE ${WIN_DEFS}
    CALLWARDEN_VENDOR_DOMAIN="${CALLWARDEN_VENDOR_DOMAIN}")
  add_dependencies(e2e_tests Olvex-Callwarden Olvex-Callwarden-testhooks)
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
