# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings are opt-in per target so that third-party code is never affected.
function(krx_warnings target)
  if(KRX_WARNINGS)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                           -Wno-sign-conversion)
  endif()
endfunction()

# krx_add_test(NAME name SOURCES ... LIBS ... LABELS ...)
# Every test runs under Qt's offscreen platform so that window tests need no display, in a time zone
# with an offset and summer time (a wrong sign or a missed change shows), and is ended after 60 s:
# a hang on a seeded fault must not eat the whole run.
function(krx_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  krx_warnings(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=Europe/Berlin"
    TIMEOUT 60)
endfunction()
