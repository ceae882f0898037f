# Installs the build in BUILD_DIR under PREFIX and checks the installed file list.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
    bin/zeva-screen-client bin/zeva-station bin/zeva-hub bin/zeva-monitor bin/zeva-settings bin/zeva-fielddb
    bin/zeva-rlog
    share/applications/zeva-screen-client.desktop
    share/icons/hicolor/scalable/apps/zeva-screen-client.svg
    share/zeva-screen-client/README.md
    share/zeva-screen-client/data/sample-fields.sql
    share/zeva-screen-client/data/demo-records.txt
    share/zeva-screen-client/docs/PROTOCOL.md
    share/zeva-screen-client/docs/zeva-screen-client.service
    share/zeva-screen-client/docs/zeva-hub.service)
foreach(f ${expected})
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

# bin/ holds the programs and nothing else.
file(GLOB programs RELATIVE ${PREFIX} ${PREFIX}/bin/*)
list(SORT programs)
set(wanted ${expected})
list(FILTER wanted INCLUDE REGEX "^bin/")
list(SORT wanted)
if(NOT programs STREQUAL wanted)
    message(FATAL_ERROR "bin/ holds ${programs}, expected ${wanted}")
endif()
foreach(p ${programs})
    execute_process(COMMAND test -x ${PREFIX}/${p} RESULT_VARIABLE not_executable)
    if(not_executable)
        message(FATAL_ERROR "${p} is not executable")
    endif()
endforeach()

# The desktop entry starts the wrapper, which the installed bin/ holds.
file(READ ${PREFIX}/share/applications/zeva-screen-client.desktop desktop)
if(NOT desktop MATCHES "\nExec=zeva-station\n" OR NOT desktop MATCHES "\nIcon=zeva-screen-client\n")
    message(FATAL_ERROR "the desktop entry does not start zeva-station with its icon")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed file list as expected")
