# Qt's own translations of its texts (the standard buttons of the dialogs: "Annuler",
# "Réessayer"), embedded in the Windows program as the resource :/qt/translations/, since the
# program ships without Qt's translations folder. They are Qt's qtbase_*.qm, taken when building
# from the Qt that builds the program or, when cross-building, from the Qt of the build machine,
# the same version (Debian's package qt6-translations-l10n). Linux uses Qt's installed ones.
if(NOT WIN32)
  return()
endif()

set(qt_translations ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS})
if(NOT EXISTS ${qt_translations}/qtbase_fr.qm AND QT_HOST_PATH)
  find_program(QUERVELLE_HOST_QTPATHS NAMES qtpaths6 qtpaths
               PATHS ${QT_HOST_PATH}/bin ${QT_HOST_PATH}/lib/qt6/bin
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(QUERVELLE_HOST_QTPATHS)
    execute_process(COMMAND ${QUERVELLE_HOST_QTPATHS} --query QT_INSTALL_TRANSLATIONS
                    OUTPUT_VARIABLE qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
endif()
file(GLOB qt_base_translations ${qt_translations}/qtbase_*.qm)
if(NOT qt_base_translations)
  message(FATAL_ERROR "Qt's translations (qtbase_*.qm) are not in '${qt_translations}': the "
          "dialogs would speak English. Install them with Qt, or, cross-building from Debian, "
          "the package qt6-translations-l10n.")
endif()
# Each file compressed (rcc by default stores those it would shrink by less than 70 %): 1.4 MB.
qt_add_resources(quervelle_window quervelle_qt_translations PREFIX /qt/translations
                 BASE ${qt_translations} FILES ${qt_base_translations}
                 OPTIONS -compress 9 -threshold 0)
