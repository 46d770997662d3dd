# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks that a desktop gets what it needs:
# the programs, the menu entry, its icon, the manual pages in English and German, and the
# Handbuch with every picture it shows, where the help window looks for it (beside bin/).
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(program rix-term rix-sim rix-param)
  if(NOT EXISTS "${PREFIX}/bin/${program}" OR IS_DIRECTORY "${PREFIX}/bin/${program}")
    message(FATAL_ERROR "bin/${program} was not installed")
  endif()
endforeach()

foreach(page man1/rix-term man1/rix-sim man1/rix-param de/man1/rix-term de/man1/rix-sim de/man1/rix-param)
  if(NOT EXISTS "${PREFIX}/share/man/${page}.1.gz")
    message(FATAL_ERROR "the manual page ${page}.1 was not installed")
  endif()
endforeach()

set(handbook "${PREFIX}/share/doc/rix-term/handbuch.md")
if(NOT EXISTS "${handbook}")
  message(FATAL_ERROR "the Handbuch was not installed")
endif()
file(READ "${handbook}" text)
# "(images/…)" without the "]" before it: a "]" in a list item would make CMake keep the
# items' ";" as text.
string(REGEX MATCHALL "\\(images/[^)]+\\)" pictures "${text}")
if(NOT pictures)
  message(FATAL_ERROR "the installed Handbuch shows no picture")
endif()
foreach(picture IN LISTS pictures)
  string(REGEX REPLACE "^\\((.*)\\)$" "\\1" picture "${picture}")
  if(NOT EXISTS "${PREFIX}/share/doc/rix-term/${picture}")
    message(FATAL_ERROR "the Handbuch shows ${picture}, which was not installed beside it")
  endif()
endforeach()

set(icon "${PREFIX}/share/icons/hicolor/scalable/apps/rix-term.svg")
if(NOT EXISTS "${icon}")
  message(FATAL_ERROR "the icon was not installed")
endif()
file(READ "${icon}" svg)
if(NOT svg MATCHES "<svg ")
  message(FATAL_ERROR "the icon is not an SVG image")
endif()

set(entry "${PREFIX}/share/applications/rix-term.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "the desktop entry was not installed")
endif()
file(STRINGS "${entry}" lines)
foreach(expected "[Desktop Entry]" "Type=Application" "Name=RIX-TERM" "Exec=rix-term" "Icon=rix-term"
                 "Categories=Utility;")
  list(FIND lines "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks the line '${expected}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
