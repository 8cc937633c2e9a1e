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
# What a Linux distribution and its software centres read about the
# program; the Windows packages carry packaging/windows/ instead.
if(UNIX)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/org.brenvo1.scandilo.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/org.brenvo1.scandilo.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/org.brenvo1.scandilo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The copyright file as it is; the changelog and the manual pages
  # compressed the way Debian's tools do it, gzip -9n: best compression, and
  # no file name or time in the header, so that the same sources give the
  # same bytes. The manual pages get the version from project().
  find_program(BRENVO1_GZIP gzip REQUIRED)
  set(compressed_dir ${PROJECT_BINARY_DIR}/compressed)
  set(compressed_files)
  function(brenvo1_compress source name)
    set(output ${compressed_dir}/${name}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${compressed_dir}/${name}
      COMMAND ${BRENVO1_GZIP} -9nf ${compressed_dir}/${name}
      DEPENDS ${source}
      VERBATIM)
    set(compressed_files ${compressed_files} ${output} PARENT_SCOPE)
  endfunction()

  brenvo1_compress(${PROJECT_SOURCE_DIR}/packaging/changelog changelog)
  foreach(page brenvo1.1 brenvo1-scan.1)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/man/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
    brenvo1_compress(${PROJECT_BINARY_DIR}/man/${page} ${page})
  endforeach()
  add_custom_target(brenvo1_documents ALL DEPENDS ${compressed_files})

  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${compressed_dir}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${compressed_dir}/brenvo1.1.gz ${compressed_dir}/brenvo1-scan.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # lintian's reading of the package where it cannot tell on its own; each
  # override says why.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME brenvo1)
endif()

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
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Scandilo cerca un testo nei file di una cartella e di tutte le sue
sottocartelle, senza distinguere maiuscole e minuscole, ed elenca i file
che lo contengono; un doppio clic su un file lo apre nell'editor di testo.
Esamina i file ${BRENVO1_EXTENSIONS_IT}.

Scandilo searches a folder and all folders below it for a text, ignoring
case, and lists the files that contain it; a double-click on a listed file
opens it in the desktop's text editor. It examines the files whose names
end in ${BRENVO1_EXTENSIONS_EN}.

brenvo1-scan CARTELLA TESTO runs the same search from a terminal.")

include(CPack)
