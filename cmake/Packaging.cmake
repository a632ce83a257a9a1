# The Debian package, made by CPack from the install rules:
#
#   ./tavelo.sh package        (or: cmake --build build && cd build && cpack -G DEB)
#
# Its dependencies are computed from the programs' libraries by dpkg-shlibdeps.
# scripts/check-package.sh checks it with lintian and installs it into a clean
# Debian root.

set(TAVELO_PACKAGE_MAINTAINER "Morv <tavelo@morv.invalid>" CACHE STRING "Maintainer field of the Debian package")

# Files every Debian package carries: the copyright and the changelog (gzip -n,
# so that the package is the same at every build).
find_program(GZIP gzip REQUIRED)
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(tavelo_package_docs ALL DEPENDS ${changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavelo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavelo)
set(CPACK_PACKAGE_VENDOR Morv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAVELO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register of personal paperwork kept by subject")
set(CPACK_PACKAGE_DESCRIPTION [=[Tavelo files personal paperwork by subject: every bill, tax notice or letter
about one matter goes under a subject; subjects are grouped under general
titles, marked open or closed, with what is still expected and the paths
of their documents. It searches inside the documents (text, RTF, PDF, Word
and Excel 97-2003), exports a book with copies of its documents, and lets
one instance at a time edit a book shared between computers.

The interface is French, or English under an English locale. The package
also holds tavelo-cli, which reads, writes, searches and exports books
without a window.]=])
set(CPACK_PACKAGE_FILE_NAME tavelo_${PROJECT_VERSION}_amd64)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVELO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs (files, printing, standard buttons) in French: qtbase_fr.qm.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# The desktop files are taken into the desktop's caches by the dpkg triggers
# of these packages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
