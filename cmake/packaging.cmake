# Installing for the desktop, and the Debian package made from the same install tree.
#
# `cmake --install` (make install) puts the program, its desktop entry, its AppStream metainfo,
# its icon at every size in the hicolor theme, its manual page, copyright and changelog where
# the desktop, software centres and man look for them. The `package` target (make package)
# wraps that tree into quervelle_<version>_amd64.deb with CPack: the program inside is
# stripped, and its debug information goes to quervelle-dbgsym_<version>_amd64.ddeb.

include(GNUInstallDirs)

# Directories the install creates are rwxr-xr-x whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The installed program finds Qt where the system keeps it, without the $ORIGIN search path
# that Qt's project setup gives it; a Qt outside the system's folders is still found.
set_target_properties(quervelle PROPERTIES INSTALL_RPATH "" INSTALL_RPATH_USE_LINK_PATH ON)
install(TARGETS quervelle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  return()
endif()

# Reverse-DNS name of the program for the desktop: names the desktop entry and the metainfo.
set(QUERVELLE_APP_ID io.github.quervelle.quervelle)
install(FILES assets/${QUERVELLE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/${QUERVELLE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  if(size EQUAL 32)
    set(picture assets/quervelle.png)
  else()
    set(picture assets/icons/quervelle-${size}.png)
  endif()
  install(FILES ${picture} RENAME quervelle.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual page and the changelog are installed compressed as Debian wants them: gzip at its
# best, without the file's name and time, so that every build gives the same bytes.
find_program(QUERVELLE_GZIP gzip REQUIRED)
set(compressed)
foreach(file packaging/quervelle.1 packaging/changelog)
  get_filename_component(name ${file} NAME)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${file} ${copy}
    COMMAND ${QUERVELLE_GZIP} -9 -n -f ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${file} VERBATIM)
  list(APPEND compressed ${copy}.gz)
endforeach()
add_custom_target(quervelle_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/quervelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package. Its texts are French, the program's only language. The version has no
# Debian revision: the project packages itself. The project has no mail address yet; the
# maintainer's is a reserved example address until it has one (-DQUERVELLE_PACKAGE_MAINTAINER=).
set(QUERVELLE_PACKAGE_MAINTAINER "Les auteurs de Quervelle de fichiers <quervelle@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quervelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "parcourir les lecteurs, les dossiers et les fichiers")
set(CPACK_PACKAGE_DESCRIPTION
"Quervelle de fichiers est un petit utilitaire à une seule fenêtre pour
parcourir les lecteurs, les dossiers et les fichiers de la machine, et agir
sur celui que l'on a sous la main : effacer un fichier, créer un dossier,
lancer un programme, supprimer un dossier vide.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUERVELLE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries as dpkg-shlibdeps finds them; besides, a font with the design font's metrics,
# without which labels are cut off (the program looks for Liberation Sans, then Arimo), and
# Qt's own translations, for its buttons in the user's language.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-liberation | fonts-croscore")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-prebuild.cmake)
include(CPack)
