# The tests of the Windows file layer, built into the plain runner (included by tests/plain/,
# whose test they set up). They act on
# real files: names Windows allows beside their twins, refusals and their French sentences,
# program start, the drive list, and the rules of the logic with Windows texts.
file(GLOB windows_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tst_*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/../support/windows/*.cpp ${CMAKE_CURRENT_LIST_DIR}/../support/windows/*.h)
target_sources(quervelle_plain_tests PRIVATE ${windows_sources})
target_compile_definitions(quervelle_plain_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                           NOMINMAX _WIN32_WINNT=0x0A00)

# A program started by the tests: it writes the command line it was given beside itself, so a
# test can tell which file was started and how.
add_executable(quervelle_probe ${CMAKE_CURRENT_LIST_DIR}/probe.cpp)
add_dependencies(quervelle_plain_tests quervelle_probe)
# What Windows shows of a program's version resource and manifest, for the tests of the
# shipped program (tests/wine/).
add_executable(quervelle_resources ${CMAKE_CURRENT_LIST_DIR}/resources.cpp)
target_link_libraries(quervelle_resources PRIVATE version)
add_dependencies(quervelle_plain_tests quervelle_resources)

if(MINGW)
  # The runtime linked in: the executables run under wine or on any Windows as they are.
  target_link_options(quervelle_plain_tests PRIVATE -static)
  target_link_options(quervelle_probe PRIVATE -static)
  target_link_options(quervelle_resources PRIVATE -static -municode)
endif()

if(CMAKE_CROSSCOMPILING)
  # Under wine: a private prefix, made and given its test drives once before the tests
  # (wineprefix.cmake), quiet, without Mono or Gecko prompts and without a display.
  set(QUERVELLE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "The wine prefix of the tests")
  set(wine_environment
    "WINEPREFIX=${QUERVELLE_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
    "LANG=C.UTF-8")
  add_test(NAME wine_prefix
    COMMAND ${CMAKE_COMMAND} -DPREFIX=${QUERVELLE_WINEPREFIX}
            -DDRIVES=${CMAKE_BINARY_DIR}/wine-drives -P ${CMAKE_CURRENT_LIST_DIR}/wineprefix.cmake)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
    ENVIRONMENT "${wine_environment}" ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
  set_tests_properties(plain PROPERTIES FIXTURES_REQUIRED wine
    ENVIRONMENT "${wine_environment}" ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
endif()
