# SPDX-License-Identifier: GPL-3.0-or-later
# The catalogues of the languages other than English (translations/krx738_<code>.ts, edited in Qt
# Linguist or any text editor) become .qm files in build/translations, which the programs load from
# there or, installed, from share/krx738/translations. Qt Linguist's command-line tools come from
# qt6-l10n-tools; Qt's own catalogues (qtbase_de.qm) from qt6-translations-l10n.
set(KRX_LANGUAGES de)
set(krx_qt_bin_hints /usr/lib/qt6/bin)
if(QT6_INSTALL_PREFIX AND QT6_INSTALL_BINS)
  list(PREPEND krx_qt_bin_hints "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
endif()
find_program(KRX_LRELEASE NAMES lrelease-qt6 lrelease HINTS ${krx_qt_bin_hints} NO_DEFAULT_PATH)
find_program(KRX_LRELEASE NAMES lrelease-qt6 lrelease)
find_program(KRX_LUPDATE NAMES lupdate-qt6 lupdate HINTS ${krx_qt_bin_hints} NO_DEFAULT_PATH)
find_program(KRX_LUPDATE NAMES lupdate-qt6 lupdate)
if(NOT KRX_LRELEASE OR NOT KRX_LUPDATE)
  message(FATAL_ERROR "lrelease and lupdate not found: install qt6-l10n-tools")
endif()

set(KRX_TRANSLATIONS_DIR "${CMAKE_BINARY_DIR}/translations")
set(krx_qm_files "")
set(krx_ts_files "")
foreach(code IN LISTS KRX_LANGUAGES)
  set(ts "${PROJECT_SOURCE_DIR}/translations/krx738_${code}.ts")
  set(qm "${KRX_TRANSLATIONS_DIR}/krx738_${code}.qm")
  add_custom_command(OUTPUT "${qm}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${KRX_TRANSLATIONS_DIR}"
    COMMAND "${KRX_LRELEASE}" -silent -nounfinished -removeidentical "${ts}" -qm "${qm}"
    DEPENDS "${ts}" VERBATIM)
  list(APPEND krx_qm_files "${qm}")
  list(APPEND krx_ts_files "${ts}")
endforeach()
add_custom_target(krx_translations ALL DEPENDS ${krx_qm_files})

# After texts changed in the sources: cmake --build build --target krx_lupdate, then translate
# what Qt Linguist shows unfinished. No line numbers, so that moving code changes nothing here.
add_custom_target(krx_lupdate
  COMMAND "${KRX_LUPDATE}" -silent -locations none -no-obsolete -extensions cpp,h
          "${PROJECT_SOURCE_DIR}/src" -ts ${krx_ts_files}
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" VERBATIM)
