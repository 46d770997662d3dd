# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the built tree, unpacks it into a scratch folder (nothing
# is installed on the machine) and checks what a user would get from it: the exact file
# name, exactly the programs, menu entry, icon, manual pages, copyright, changelog and the
# Handbuch with its pictures, a
# package lintian finds nothing to report on, dependencies on the Qt libraries, a simulator
# that runs from the unpacked tree, and manual pages that man reads.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DCPACK=... -DVERSION=... -DREADME=... -P package_check.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "'${command}' failed (${result}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

run("${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
run(dpkg --print-architecture)
string(STRIP "${out}" arch)
set(deb "${WORK_DIR}/rix-term_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
  file(GLOB made "${WORK_DIR}/*.deb")
  message(FATAL_ERROR "expected ${deb}, CPack made: ${made}")
endif()

# Every file, and nothing else: a stray install() (a test helper, a library's headers)
# would end up on users' machines.
run(dpkg-deb --contents "${deb}")
string(REGEX MATCHALL "\n-[^\n]*" entries "\n${out}")
set(files)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES " root/root ")
    message(FATAL_ERROR "not owned by root:${entry}")
  endif()
  string(REGEX REPLACE ".* \\./" "" path "${entry}")
  list(APPEND files "${path}")
endforeach()
list(SORT files)
set(expected
  usr/bin/rix-param
  usr/bin/rix-sim
  usr/bin/rix-term
  usr/share/applications/rix-term.desktop
  usr/share/doc/rix-term/changelog.gz
  usr/share/doc/rix-term/copyright
  usr/share/doc/rix-term/handbuch.md
  usr/share/doc/rix-term/images/dialog-1.png
  usr/share/doc/rix-term/images/fenster.png
  usr/share/doc/rix-term/images/findbar.png
  usr/share/doc/rix-term/images/inspector.png
  usr/share/icons/hicolor/scalable/apps/rix-term.svg
  usr/share/man/de/man1/rix-param.1.gz
  usr/share/man/de/man1/rix-sim.1.gz
  usr/share/man/de/man1/rix-term.1.gz
  usr/share/man/man1/rix-param.1.gz
  usr/share/man/man1/rix-sim.1.gz
  usr/share/man/man1/rix-term.1.gz)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "the package holds\n  ${files}\ninstead of\n  ${expected}")
endif()

# Debian's own check: no error and no warning (a bogus maintainer address, a missing
# copyright or changelog, a timestamped gzip, wrong permissions …). lintian ends with a
# non-zero status on either and names the tags.
find_program(LINTIAN lintian REQUIRED)
run("${LINTIAN}" --fail-on error,warning "${deb}")
if(NOT out STREQUAL "")
  message(FATAL_ERROR "lintian reports:\n${out}")
endif()

run(dpkg-deb --field "${deb}" Package Version Architecture Section Maintainer Depends)
foreach(field "Package: rix-term" "Version: ${VERSION}" "Architecture: ${arch}" "Section: comm"
              "Maintainer: [^\n]*@" "Depends: [^\n]*libqt6widgets6" "Depends: [^\n]*libqt6serialport6"
              "Depends: [^\n]*libc6")
  if(NOT out MATCHES "${field}")
    message(FATAL_ERROR "the control fields do not match '${field}':\n${out}")
  endif()
endforeach()
# Qt's German texts and its platform plugins are what dpkg-shlibdeps cannot find.
foreach(package qt6-translations-l10n qt6-qpa-plugins)
  if(NOT out MATCHES "Depends: [^\n]*${package}")
    message(FATAL_ERROR "the package does not depend on ${package}:\n${out}")
  endif()
endforeach()

set(root "${WORK_DIR}/root")
run(dpkg-deb --extract "${deb}" "${root}")

run("${root}/usr/bin/rix-sim" --version)
if(NOT out STREQUAL "rix-sim ${VERSION}\n")
  message(FATAL_ERROR "the unpacked rix-sim --version printed '${out}'")
endif()
run("${root}/usr/bin/rix-sim" --help)
string(REGEX MATCHALL "--[a-z-]+" options "${out}")
list(REMOVE_DUPLICATES options)
list(LENGTH options option_count)
if(option_count LESS 10)
  message(FATAL_ERROR "rix-sim --help names only: ${options}")
endif()

# The manual's table of error numbers, each of which the manual page explains too.
file(STRINGS "${README}" readme_rows REGEX "^\\| [0-9]+ \\|")
if(NOT readme_rows)
  message(FATAL_ERROR "no error numbers found in ${README}")
endif()

find_program(MAN man REQUIRED)
# The English pages, and the German ones (de/…) that man shows under a German locale, held
# to the same checks; page_rix-sim is the English source, page_de/rix-sim the German.
foreach(page rix-term rix-sim rix-param de/rix-term de/rix-sim de/rix-param)
  get_filename_component(name "${page}" NAME)
  get_filename_component(language "${page}" DIRECTORY)
  set(name_heading NAME)
  set(man_dir "${root}/usr/share/man/man1")
  if(language STREQUAL "de")
    set(name_heading BEZEICHNUNG)
    set(man_dir "${root}/usr/share/man/de/man1")
  endif()
  run(gzip --decompress --stdout "${man_dir}/${name}.1.gz")
  set(source "${out}")
  string(TOUPPER "${name}" title)
  # Its licence line (the roff comment ".\" SPDX-…") first, then the title line with the version.
  string(FIND "${source}" "SPDX-License-Identifier: GPL-3.0-or-later\n.TH " licence)
  string(FIND "${source}" "\n" end_of_first_line)
  math(EXPR rest_begins "${end_of_first_line} + 1")
  string(SUBSTRING "${source}" ${rest_begins} -1 rest)
  if(NOT licence EQUAL 4 OR NOT rest MATCHES "^\\.TH ${title} 1 [^\n]*\"${name} ${VERSION}\"")
    message(FATAL_ERROR "${page}.1 does not start with its licence line, then its title line and version")
  endif()
  # man reports roff mistakes (unknown macros, bad escapes) as warnings on stderr.
  run("${CMAKE_COMMAND}" -E env --unset=MAN_KEEP_FORMATTING LC_ALL=C.UTF-8 MANWIDTH=80
      "${MAN}" --warnings --local-file "${man_dir}/${name}.1.gz")
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "man warns about ${page}.1:\n${err}")
  endif()
  # Ü shows whether man read a German page as the UTF-8 it is.
  if(NOT out MATCHES "\n${name_heading}\n +${name} " OR (language STREQUAL "de" AND NOT out MATCHES "\nÜBERSICHT\n"))
    message(FATAL_ERROR "man shows ${page}.1 without its ${name_heading} section:\n${out}")
  endif()
  string(REPLACE "\\-" "-" source "${source}")
  set(page_${page} "${source}")
endforeach()

foreach(option IN LISTS options)
  if(NOT page_rix-sim MATCHES "\n\\.B[I]? ${option}[ \n]" OR NOT page_de/rix-sim MATCHES "\n\\.B[I]? ${option}[ \n]")
    message(FATAL_ERROR "rix-sim(1) or its German page does not describe ${option}")
  endif()
endforeach()
foreach(row IN LISTS readme_rows)
  string(REGEX MATCH "[0-9]+" number "${row}")
  if(NOT page_rix-term MATCHES "\n\\.B ${number}\n" OR NOT page_de/rix-term MATCHES "\n\\.B ${number}\n")
    message(FATAL_ERROR "rix-term(1) or its German page does not explain the error number ${number}")
  endif()
endforeach()
# rix-param: a program that needs no window, and its page names every command and option.
run("${root}/usr/bin/rix-param" --help)
if(NOT out MATCHES "^Aufruf: rix-param read")
  message(FATAL_ERROR "the unpacked rix-param --help printed '${out}'")
endif()
foreach(word "\n\\.B rix-param read\n" "\n\\.BI diff " "\n\\.BI write " "\n\\.B --include-line-settings\n"
             "\n\\.B --dry-run\n" "\n\\.B --yes\n" "\n\\.B 3\n")
  if(NOT page_rix-param MATCHES "${word}" OR NOT page_de/rix-param MATCHES "${word}")
    message(FATAL_ERROR "rix-param(1) or its German page lacks '${word}'")
  endif()
endforeach()

foreach(text "dialout" "COM10" "/dev/ttyS9")
  string(FIND "${page_rix-term}" "${text}" at)
  string(FIND "${page_de/rix-term}" "${text}" at_de)
  if(at EQUAL -1 OR at_de EQUAL -1)
    message(FATAL_ERROR "rix-term(1) does not mention ${text}")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
