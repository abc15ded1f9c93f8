# Installation and packages: a Debian package of the Linux program with its man
# page and shell completions, and a zip of brulo.exe for Windows, each with the README and the LICENSE.
include(GNUInstallDirs)

if(WIN32)
  # The single statically linked .exe needs nothing beside it.
  install(TARGETS brulo RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS brulo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/brulo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Where each shell looks for the completions of installed programs.
  install(FILES completions/brulo.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME brulo)
  install(FILES completions/_brulo DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
  install(FILES completions/brulo.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()

set(CPACK_PACKAGE_NAME brulo)
set(CPACK_PACKAGE_VENDOR "The brulo developers")
set(CPACK_PACKAGE_CONTACT "The brulo developers <brulo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "brulo walks source trees and removes the object files, precompiled headers, program databases and other intermediate files of C and C++ tool chains, each checked by a signature at its start.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The run-time libraries come from dpkg-shlibdeps, not from a typed list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The folder picker and the message box on a desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS zenity)

set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

include(CPack)
