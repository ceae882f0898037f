# One INTERFACE target carries the language standard, warnings and sanitizers for every target.
add_library(zeva_options INTERFACE)
target_compile_features(zeva_options INTERFACE cxx_std_20)
target_compile_options(zeva_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
# GCC 12 reports std::string inserts as overlapping copies at -O2 and above (a false positive of
# its -Wrestrict, GCC bug 105329); keep the warning from failing optimised builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(zeva_options INTERFACE -Wno-restrict)
endif()
if(ZEVA_SANITIZE)
    target_compile_options(zeva_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
    target_link_options(zeva_options INTERFACE -fsanitize=address,undefined)
endif()
# A fuzz build instruments the libraries too: libFuzzer then sees the coverage of the readers it
# drives, and the sanitizers check their reads, not only the target's own file.
if(ZEVA_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(zeva_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                  -fno-omit-frame-pointer)
    target_link_options(zeva_options INTERFACE -fsanitize=address,undefined)
endif()

# zeva_add_gtest(name SOURCES ... LIBS ...): one GoogleTest executable whose cases CTest sees one by one.
function(zeva_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zeva_options GTest::gtest GTest::gtest_main zeva_test_support ${ARG_LIBS})
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/SanitizerDefaults.cpp)
    # One variable only: gtest_discover_tests hands a test just the first entry of an environment list.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                         ${ARG_PROPERTIES})
endfunction()

# zeva_add_fuzzer(name SOURCES ... LIBS ...): one libFuzzer target. Clang only; with another
# compiler nothing is added.
function(zeva_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zeva_options ${ARG_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
