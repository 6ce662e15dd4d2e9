# Native (Linux) build: platform-free code, unit tests, fuzzers, the service (server/).
if(CALLWARDEN_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${SAN_FLAGS})
  add_link_options(${SAN_FLAGS})
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# A fuzzing build holds only the fuzzers: its core is instrumented for libFuzzer.
if(NOT CALLWARDEN_FUZZ)
  file(GLOB UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
  add_executable(unit_tests ${UNIT_TESTS})
  target_link_libraries(unit_tests PRIVATE callwarden_core GTest::gtest_main)
  target_compile_options(unit_tests PRIVATE ${WARNINGS})
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
endif()

# The scanner benchmark (scripts/bench): the scanner beside a full JSON parser, natively.
if(NOT CALLWARDEN_FUZZ)
  find_path(NLOHMANN_JSON_INCLUDE nlohmann/json.hpp)
  if(NLOHMANN_JSON_INCLUDE)
    add_executable(bench_preferences_scan EXCLUDE_FROM_ALL
      ${CMAKE_SOURCE_DIR}/tests/bench/preferences_scan_bench.cpp)
    target_include_directories(bench_preferences_scan PRIVATE ${NLOHMANN_JSON_INCLUDE})
    target_link_libraries(bench_preferences_scan PRIVATE callwarden_core)
    target_compile_options(bench_preferences_scan PRIVATE ${WARNINGS})
  endif()
endif()

if(CALLWARDEN_FUZZ)
  # The service's message judge is platform-free, so its fuzzer is built here too.
  add_subdirectory(${CMAKE_SOURCE_DIR}/server/judge ${CMAKE_BINARY_DIR}/server/judge)
  target_compile_options(olvex_judge PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  # So are the HTTP edge's decisions on a request's head (what is refused before any body is
  # read, which site a host names, which address a client counts as): no HTTP library needed.
  add_library(olvex_edge_decisions STATIC
    ${CMAKE_SOURCE_DIR}/server/edge/request_guard.cpp ${CMAKE_SOURCE_DIR}/server/edge/client_address.cpp
    ${CMAKE_SOURCE_DIR}/server/base/client_network.cpp ${CMAKE_SOURCE_DIR}/server/base/service_hosts.cpp)
  target_include_directories(olvex_edge_decisions PUBLIC ${CMAKE_SOURCE_DIR}/server ${CMAKE_SOURCE_DIR})
  target_compile_definitions(olvex_edge_decisions PUBLIC CALLWARDEN_VENDOR_DOMAIN="${CALLWARDEN_VENDOR_DOMAIN}")
  target_compile_options(olvex_edge_decisions PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  file(GLOB FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  foreach(src IN LISTS FUZZERS)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE callwarden_core olvex_judge olvex_edge_decisions)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
  target_compile_options(callwarden_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()

if(CALLWARDEN_SERVER AND NOT CALLWARDEN_FUZZ AND EXISTS ${CMAKE_SOURCE_DIR}/server/CMakeLists.txt)
  add_subdirectory(server)
endif()
