# The message judge behind check_scam as a library of its own: platform-free,
# without httplib or SQLite, so the fuzz build and the judge benchmark can use
# it as well as the service. Included by server/CMakeLists.txt and, for the
# fuzzers, by cmake/native.cmake.
set(OLVEX_JUDGE_DIR ${CMAKE_SOURCE_DIR}/server)
file(GLOB OLVEX_JUDGE_FAMILIES CONFIGURE_DEPENDS ${OLVEX_JUDGE_DIR}/family_*.cpp)
set(OLVEX_JUDGE_SOURCES
  ${OLVEX_JUDGE_FAMILIES}
  ${OLVEX_JUDGE_DIR}/brand_domains.cpp
  ${OLVEX_JUDGE_DIR}/brand_table.cpp
  ${OLVEX_JUDGE_DIR}/length_fairness.cpp
  ${OLVEX_JUDGE_DIR}/link_extract.cpp
  ${OLVEX_JUDGE_DIR}/link_rules.cpp
  ${OLVEX_JUDGE_DIR}/number_cues.cpp
  ${OLVEX_JUDGE_DIR}/phrase_index.cpp
  ${OLVEX_JUDGE_DIR}/phrase_rules.cpp
  ${OLVEX_JUDGE_DIR}/public_suffix.cpp
  ${OLVEX_JUDGE_DIR}/rule_book.cpp
  ${OLVEX_JUDGE_DIR}/scam_engine.cpp
  ${OLVEX_JUDGE_DIR}/scam_talk.cpp
  ${OLVEX_JUDGE_DIR}/text_context.cpp
  ${OLVEX_JUDGE_DIR}/text_scan.cpp)

add_library(olvex_judge STATIC ${OLVEX_JUDGE_SOURCES})
target_include_directories(olvex_judge PUBLIC ${OLVEX_JUDGE_DIR})
target_compile_options(olvex_judge PRIVATE ${WARNINGS})
