# Where `cmake --install` puts the program, and the Debian package built
# from those same rules by `cpack -G DEB`.
include(GNUInstallDirs)

# The package holds the desktop program; without the window there is nothing
# a desktop menu could start.
if(NOT TARGET brenvo1)
  return()
endif()

# brenvo1-scan goes along: the window's search run from a terminal, which
# also lets an installed copy be checked without a display.
install(TARGETS brenvo1 brenvo1-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/brenvo1.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/brenvo1.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(BRENVO1_MAINTAINER "Brenvo1 maintainers <maintainers@users.noreply.c-seed-69638eff.example>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvo1)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brenvo1")
set(CPACK_PACKAGE_CONTACT "${BRENVO1_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scandilo: trova testo nei file / find text in files")
# The package always lands in /usr, whatever prefix this build was set up with.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRENVO1_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the binaries are linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Italian texts (message box buttons, context menus); the window
# works without them, in English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# A double-click on a result opens it in the first of these found on PATH.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
  "gnome-text-editor | gedit | kwrite | kate | mousepad | xed | pluma | featherpad | leafpad | xdg-utils")
# CPack puts the summary first and indents these lines as dpkg wants them.
# No line may start with a dot, which dpkg would read as a control line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Scandilo cerca un testo nei file di una cartella e di tutte le sue
sottocartelle, senza distinguere maiuscole e minuscole, ed elenca i file
che lo contengono; un doppio clic su un file lo apre nell'editor di testo.
Esamina i file .txt, .bas, .cls, .frm, .vbp, .hds, .bds, .lds, .dss e .dse.

Scandilo searches a folder and all folders below it for a text, ignoring
case, and lists the files that contain it; a double-click on a listed file
opens it in the desktop's text editor. It examines the files whose names
end in .txt, .bas, .cls, .frm, .vbp, .hds, .bds, .lds, .dss and .dse.

brenvo1-scan CARTELLA TESTO runs the same search from a terminal.]=])

include(CPack)
