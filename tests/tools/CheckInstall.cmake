cmake_minimum_required(VERSION 3.25)
# Installs the build in BUILD_DIR into the scratch root DESTDIR (the configured prefix beneath it)
# and checks what a station gets: the file list, the desktop entry, the site folder and the wrapper
# the menu starts.
file(REMOVE_RECURSE ${DESTDIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR} ${CMAKE_COMMAND} --install ${BUILD_DIR}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
set(PREFIX ${DESTDIR}${INSTALL_PREFIX})

set(expected
    bin/zeva-screen-client bin/zeva-station bin/zeva-hub bin/zeva-monitor bin/zeva-settings bin/zeva-fielddb
    bin/zeva-rlog
    share/applications/zeva-screen-client.desktop
    share/icons/hicolor/scalable/apps/zeva-screen-client.svg
    share/doc/zeva-screen-client/copyright
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

# The desktop entry starts the wrapper, which the installed bin/ holds, from one menu.
file(READ ${PREFIX}/share/applications/zeva-screen-client.desktop desktop)
if(NOT desktop MATCHES "\nExec=zeva-station\n" OR NOT desktop MATCHES "\nIcon=zeva-screen-client\n")
    message(FATAL_ERROR "the desktop entry does not start zeva-station with its icon")
endif()
string(REGEX MATCH "\nCategories=([^\n]*)\n" line "${desktop}")
set(main_categories AudioVideo Audio Video Development Education Game Graphics Network Office Science Settings
    System Utility)
set(mains 0)
string(REPLACE ";" " " categories "${CMAKE_MATCH_1}")
separate_arguments(categories)
foreach(c ${categories})
    if(c IN_LIST main_categories)
        math(EXPR mains "${mains} + 1")
    endif()
endforeach()
if(NOT mains EQUAL 1)
    message(FATAL_ERROR "the desktop entry names ${mains} main categories (${CMAKE_MATCH_1}); a menu shows it once per main category")
endif()

# The empty site folder the wrapper looks in, readable by every operator, and the wrapper's usage.
set(site ${PREFIX}/var/lib/zeva-screen-client)
if(INSTALL_PREFIX STREQUAL "/usr")
    set(site ${DESTDIR}/var/lib/zeva-screen-client)
endif()
execute_process(COMMAND stat -c %a ${site} OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT mode STREQUAL "755")
    message(FATAL_ERROR "the site folder ${site} is not installed with mode 755 (${mode})")
endif()
execute_process(COMMAND ${PREFIX}/bin/zeva-station --help RESULT_VARIABLE status OUTPUT_VARIABLE usage)
string(FIND "${usage}" "\n  ${site}\n" named)
if(NOT status EQUAL 0 OR named EQUAL -1)
    message(FATAL_ERROR "zeva-station --help (status ${status}) does not name the site folder ${site}:\n${usage}")
endif()
# The service examples name the installed programs.
file(READ ${PREFIX}/share/zeva-screen-client/docs/zeva-hub.service unit)
string(FIND "${unit}" "ExecStart=${INSTALL_PREFIX}/bin/zeva-hub " found)
if(found EQUAL -1)
    message(FATAL_ERROR "the installed zeva-hub.service does not start ${INSTALL_PREFIX}/bin/zeva-hub")
endif()
file(REMOVE_RECURSE ${DESTDIR})
message(STATUS "installed files as expected")
