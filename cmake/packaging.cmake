# Installation and packages: a .deb on Linux, a .zip on Windows.
set(CPACK_PACKAGE_NAME mirutoka)
set(CPACK_PACKAGE_VENDOR "mirutoka developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password gate in front of another program")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS mirutoka RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/windows/utf8 ${PROJECT_SOURCE_DIR}/examples/windows/utf8-bom
                    ${PROJECT_SOURCE_DIR}/examples/windows/cp932
          DESTINATION examples)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME mirutoka-${PROJECT_VERSION}-${MIRUTOKA_WINDOWS_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(GNUInstallDirs)
  set(docdir ${CMAKE_INSTALL_DATADIR}/doc/mirutoka)
  install(TARGETS mirutoka RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/mirutoka.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # Where software centres (GNOME Software, KDE Discover) look for what to list.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/org.example.mirutoka.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/icon/mirutoka.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/icon/mirutoka.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # Debian wants manual pages and the changelog compressed, reproducibly.
  set(compressed ${PROJECT_BINARY_DIR}/compressed)
  foreach(page mirutoka.1 ja/mirutoka.1 changelog)
    set(source ${PROJECT_SOURCE_DIR}/packaging/linux/${page})
    if(page STREQUAL changelog)
      set(source ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
    endif()
    add_custom_command(OUTPUT ${compressed}/${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}/ja
      COMMAND gzip -9n < ${source} > ${compressed}/${page}.gz
      DEPENDS ${source} VERBATIM)
    list(APPEND compressed_files ${compressed}/${page}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})
  install(FILES ${compressed}/mirutoka.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${compressed}/ja/mirutoka.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
  install(FILES ${compressed}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
                ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${docdir})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${docdir}/examples)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(MIRUTOKA_MAINTAINER "mirutoka developers <mirutoka@example.org>" CACHE STRING "Maintainer of the .deb")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MIRUTOKA_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The platform plugins are no library the program links, so dpkg-shlibdeps
  # cannot see them; libqt6gui6 only recommends the X11 one. Without the
  # Wayland one, a Wayland desktop would get the window through XWayland,
  # where any X11 program hears its keys. The Wayland keyboard watch asks
  # Qt's platform interface, whose layout only this Qt build promises.
  find_package(Qt6 REQUIRED COMPONENTS Core)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, qt6-base-abi (= ${Qt6_VERSION})")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-vlgothic")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "mirutoka shows one small Japanese window with a masked password field.
When the typed text equals the first field of PASSWORD.INI in the working
directory, it starts the command line in the second field; otherwise it
tells why not and exits. One attempt per run; nothing is written.")
endif()

include(CPack)
