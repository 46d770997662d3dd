# SPDX-License-Identifier: GPL-3.0-or-later
# One word for one thing, in everything a user of the programs reads in German: the texts of
# the window, its dialogs and rix-param (every string literal under src/, the window's form),
# the German manual pages, the desktop entry and the Handbuch, whose „Begriffe“ list the
# chosen words. A rejected word for a chosen thing fails here with the word to use, and so
# does one button text that has two mnemonics (Alt+C in one dialog, Alt+I in another).
# „Gerät“ stays where it means the system's device (a file under /dev, or hardware that is
# not a unit): those phrases are listed below.
#   cmake -DSOURCE_DIR=... -P words_check.cmake
cmake_policy(VERSION 3.22)

# A rejected word (a regular expression for its forms) and the word chosen for its thing.
set(rejected
  "Ports?|Anschl(uss|üsse)" "Schnittstelle"
  "(RIX-)?Gerät(e|s|en)?" "Einheit (ein Gerät ist nur die Gerätedatei unter /dev)"
  "Raten?" "Baudrate"
  "Rückstrich" "Backslash")

# Where a rejected word is right: a text that names it as rejected („nicht „Port““, as the
# Handbuch's glossary does), and where „Gerät“ is the system's device, not the unit: the
# system's reasons (errno), a save or a lock that meets a device file, what else may sit on
# an on-board port, and the glossary's line for the device file.
set(allowedPhrases
  "nicht „[^“]*“( oder „[^“]*“)?"
  "das Gerät meldet einen Fehler"
  "Das Gerät oder die Datei"
  "Das Gerät gibt es nicht"
  "Das Gerät %1 gibt es nicht"
  "Das Gerät ist nicht angeschlossen"
  "zum Gerät oder zur Datei"
  "oder das Gerät unterstützt"
  "dem Gerät, womöglich"
  "ein Gerät[,\"]"
  "ein anderes Gerät"
  "das serielle Gerät"
  "kein solches Gerät"
  "\\| Gerät \\|")

set(failures "")

# The text as a search can take it: no list separators or brackets, which CMake's lists read
# as their own, and the phrases where a rejected word is right taken out.
function(searchable text variable)
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "(" text "${text}")
  string(REPLACE "]" ")" text "${text}")
  foreach(phrase IN LISTS allowedPhrases)
    string(REGEX REPLACE "${phrase}" "" text "${text}")
  endforeach()
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# Every rejected word in `text` of `where` becomes a failure that names the word to use.
function(check_words where text)
  searchable("${text}" text)
  list(LENGTH rejected count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    list(GET rejected ${i} words)
    math(EXPR j "${i} + 1")
    list(GET rejected ${j} chosen)
    set(rest "${text}")
    while(rest MATCHES "(^|[^A-Za-zÄÖÜäöüß])(${words})([^A-Za-zÄÖÜäöüß]|$)")
      set(word "${CMAKE_MATCH_2}")
      string(FIND "${rest}" "${CMAKE_MATCH_0}" at)
      math(EXPR from "${at} - 40")
      if(from LESS 0)
        set(from 0)
      endif()
      string(SUBSTRING "${rest}" ${from} 100 context)
      string(REPLACE "\n" " " context "${context}")
      string(APPEND failures "${where}: „${word}“ – das Wort dafür ist „${chosen}“: …${context}…\n")
      string(LENGTH "${CMAKE_MATCH_0}" length)
      math(EXPR next "${at} + ${length}")
      string(SUBSTRING "${rest}" ${next} -1 rest)
    endwhile()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# The string literals of a C++ source, comments left out, one after another.
function(literals_of path variable)
  file(READ "${SOURCE_DIR}/${path}" text)
  string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" text "${text}")
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  string(REGEX MATCHALL "\"([^\"\\\\\n]|\\\\.)*\"" found "${text}")
  set(${variable} "${found}" PARENT_SCOPE)
endfunction()

# Every file that holds a user's text. Globbed, so that a new source cannot escape the check.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h")
file(GLOB_RECURSE forms RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.ui")
file(GLOB pages RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/packaging/man/de/*.1")
list(LENGTH sources sourceCount)
if(sourceCount LESS 50)
  message(FATAL_ERROR "found only ${sourceCount} sources under ${SOURCE_DIR}/src")
endif()

# The mnemonic a labelled text uses, by the text without its „&“: "Schließen" → "c".
set(mnemonicTexts "")
function(note_mnemonics where literals)
  foreach(literal IN LISTS literals)
    if(literal MATCHES "^\"[^&\"]*&([^& \"])[^&\"]*\"$")
      string(TOLOWER "${CMAKE_MATCH_1}" key)
      string(REPLACE "&" "" plain "${literal}")
      string(MAKE_C_IDENTIFIER "${plain}" id)
      if(DEFINED mnemonic_${id} AND NOT mnemonic_${id} STREQUAL key)
        string(APPEND failures "${where}: ${literal} – dieselbe Beschriftung hat anderswo Alt+${mnemonic_${id}}\n")
      endif()
      set(mnemonic_${id} "${key}" PARENT_SCOPE)
    endif()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(path IN LISTS sources)
  literals_of("${path}" literals)
  string(JOIN "\n" all ${literals})
  check_words("${path}" "${all}")
  note_mnemonics("${path}" "${literals}")
endforeach()
foreach(path IN LISTS forms)
  file(READ "${SOURCE_DIR}/${path}" text)
  string(REGEX MATCHALL "<string>[^<]*</string>" strings "${text}")
  string(JOIN "\n" all ${strings})
  check_words("${path}" "${all}")
  string(REGEX REPLACE "<string>([^<;]*)</string>" "\"\\1\"" quoted "${strings}")
  note_mnemonics("${path}" "${quoted}")
endforeach()
foreach(path IN LISTS pages ITEMS packaging/rix-term.desktop docs/handbuch.md)
  file(READ "${SOURCE_DIR}/${path}" text)
  string(REGEX REPLACE "\n\\.\\\\\"[^\n]*" "" text "${text}")
  check_words("${path}" "${text}")
endforeach()

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "Ein Ding, zwei Wörter:\n${failures}")
endif()
