# The Debian package made by `cpack -G DEB` from a build tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brantlow)
set(CPACK_PACKAGE_VENDOR "Brantlow developers")
set(CPACK_PACKAGE_CONTACT "Brantlow developers <brantlow@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "add or remove the Xing VBR header of MPEG audio files")
set(CPACK_PACKAGE_DESCRIPTION
    "Brantlow adds a Xing VBR header frame to MP3, RIFF RMP3 and WAVE files, or\n\
removes one, so that players show the right duration of a variable-bitrate\n\
stream and can seek in it. It comes as a desktop program and as brantlow-cli.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/brantlow/brantlow")
# A Debian package installs under /usr and nowhere else. The program compares
# its own folder with the configured prefix to know it is installed, so a
# build configured for another prefix cannot simply be repackaged: cpack
# refuses it (see PackageCheck.cmake) and says how to configure.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(BRANTLOW_CONFIGURED_PREFIX ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/PackageCheck.cmake.in ${CMAKE_BINARY_DIR}/PackageCheck.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageCheck.cmake)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The windows are laid out for Arial's metrics; Liberation Sans has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)

include(CPack)
