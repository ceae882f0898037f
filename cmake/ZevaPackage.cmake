# The Debian package (cpack -G DEB in a Release build; scripts/package does it). Its libraries are
# found by dpkg-shlibdeps, so apt installs what the programs link against.
set(CPACK_PACKAGE_NAME zeva-screen-client)
set(CPACK_PACKAGE_VENDOR "NORL Communications P/L")
# Whoever builds the package for a site names themselves the usual Debian way (DEBFULLNAME and
# DEBEMAIL in the environment of scripts/package).
if(DEFINED ENV{DEBEMAIL})
    set(zeva_maintainer "$ENV{DEBEMAIL}")
    if(DEFINED ENV{DEBFULLNAME})
        set(zeva_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    endif()
else()
    set(zeva_maintainer "ZEVA administrators <root@localhost>")
endif()
set(CPACK_PACKAGE_CONTACT "${zeva_maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator's display station of the ZEVA emergency-call data system")
set(CPACK_PACKAGE_DESCRIPTION [[
The ZEVA Screen Client shows each caller record the ZEVA hub hands over
the moment it arrives, in an Output window, a Records grid and a Full
fields list, and keeps its link to the hub alive on its own.
With the tools zeva-hub, zeva-monitor, zeva-settings, zeva-fielddb and
zeva-rlog.]])
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The site folder lies outside the prefix (/var/lib): the package is staged with DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The sqlite3 shell is how an administrator reads the settings by hand; the desktop menu refreshes
# from the .desktop entry.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sqlite3")
set(CPACK_GENERATOR DEB)
# A native package's changelog, compressed without a time stamp so that two builds match.
string(TIMESTAMP zeva_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/packaging/changelog
     "zeva-screen-client (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * ZEVA Screen Client ${PROJECT_VERSION}, built for a site.\n\n"
     " -- ${zeva_maintainer}  ${zeva_date}\n")
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/packaging/changelog RESULT_VARIABLE zeva_gzip)
if(zeva_gzip EQUAL 0)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zeva-screen-client)
endif()
include(CPack)
