# `format` rewrites every C++ source and header with clang-format (.clang-format at the root);
# `format-check` fails on any file that would change. CMake files are not C++ and stay out.
find_program(ZEVA_CLANG_FORMAT NAMES clang-format clang-format-14)
if(NOT ZEVA_CLANG_FORMAT)
    return()
endif()
set(zeva_format_folders common platform settings logstore model recordlog comms flags display shell tools
                        tests bench fuzz)
set(zeva_format_globs)
foreach(folder IN LISTS zeva_format_folders)
    list(APPEND zeva_format_globs ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.h)
endforeach()
file(GLOB_RECURSE zeva_format_files CONFIGURE_DEPENDS ${zeva_format_globs})
add_custom_target(format
    COMMAND ${ZEVA_CLANG_FORMAT} -i ${zeva_format_files}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "clang-format: rewriting the C++ sources"
    VERBATIM)
add_custom_target(format-check
    COMMAND ${ZEVA_CLANG_FORMAT} --dry-run --Werror ${zeva_format_files}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "clang-format: checking the C++ sources"
    VERBATIM)
