# The Debian package: `make package` (or cpack -G DEB in the build folder) writes
# tolvane_VERSION_ARCH.deb with both programs and their desktop files. Its library
# dependencies are found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane")
set(CPACK_PACKAGE_CONTACT "Tolvane developers <maintainers@tolvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "records of change-ringing peals and quarter peals")
set(CPACK_PACKAGE_DESCRIPTION
  "Tolvane keeps the records of change-ringing peals and quarter peals: a reference database of towers, ringers, associations, methods and compositions beside peal ledgers that name them. It enters, selects, prints, exports, imports and analyses peals. The package holds the desktop program tolvane and its command-line companion tolvane-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The file types and menu entry are registered by the desktop's own triggers.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
