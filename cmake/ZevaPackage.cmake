# The Debian package (cpack -G DEB in a Release build; scripts/package does it). Its libraries are
# found by dpkg-shlibdeps, so apt installs what the programs link against.
set(CPACK_PACKAGE_NAME zeva-screen-client)
set(CPACK_PACKAGE_VENDOR "NORL Communications P/L")
set(CPACK_PACKAGE_CONTACT "ZEVA administrators <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZEVA Screen Client: the operator's display station of the ZEVA emergency-call data system")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows each caller record the ZEVA hub hands over the moment it arrives. With the tools zeva-hub, zeva-monitor, zeva-settings, zeva-fielddb and zeva-rlog.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The site folder lies outside the prefix (/var/lib): the package is staged with DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The sqlite3 shell is how an administrator reads the settings by hand; the desktop menu refreshes
# from the .desktop entry.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sqlite3")
set(CPACK_GENERATOR DEB)
include(CPack)
