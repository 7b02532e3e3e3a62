# Install rules and the Debian package: one layout for `cmake --install` into any prefix and for the .deb.
#
#   games/zorvane                          launcher (what the player types and the menu runs)
#   lib/games/zorvane/zorvane              the game itself, off the PATH: it needs the launcher
#   share/games/zorvane/resource/          read-only data
#   share/applications/zorvane.desktop     menu entry
#   share/icons/hicolor/NxN/apps/zorvane.png
#   share/man/man6/zorvane.6.gz            manual page
#   share/doc/zorvane/                     copyright and changelog.Debian.gz
#   share/metainfo/org.example.zorvane.metainfo.xml    AppStream metadata for software centres
#
# The game reads resource/ and writes run.log beside it in its working directory; the launcher gives it a
# writable per-user directory holding a link to the installed data. The launcher finds the game and the
# data relative to its own location, so installing into another prefix needs no reconfiguring.

# The numbers the texts below quote, read from the code that keeps them, so no text holds its own.
# zorvane_constant(VAR FILE NAME): VAR is the value of "constexpr int NAME = value;" in FILE.
function(zorvane_constant var file name)
  file(STRINGS ${PROJECT_SOURCE_DIR}/${file} line REGEX "^constexpr int ${name} = [0-9]+;")
  if(NOT line MATCHES "= ([0-9]+)")
    message(FATAL_ERROR "${file} holds no \"constexpr int ${name} = ...;\"")
  endif()
  set(${var} ${CMAKE_MATCH_1} PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${file})
endfunction()
zorvane_constant(ZORVANE_LEVEL_MIN flow/Title.h LEVEL_MIN)
zorvane_constant(ZORVANE_LEVEL_MAX flow/Title.h LEVEL_MAX)
zorvane_constant(ZORVANE_FIELD_WIDTH objects/Token.h SCREEN_WIDTH)
zorvane_constant(ZORVANE_FIELD_HEIGHT objects/Token.h SCREEN_HEIGHT)
zorvane_constant(ZORVANE_WIDE_WIDTH flow/Scene.h WIDE_WINDOW_WIDTH)
zorvane_constant(ZORVANE_BOSS_LAST_AGE objects/EnemyBoss.cpp LAST_AGE)
zorvane_constant(ZORVANE_BOSS_CRAZY_AGE objects/EnemyBoss.cpp CRAZY_AGE)
math(EXPR ZORVANE_CRAZY_FRAMES "${ZORVANE_BOSS_LAST_AGE} - ${ZORVANE_BOSS_CRAZY_AGE}")

set(ZORVANE_GAMES_DIR games)
set(ZORVANE_LIB_DIR lib/games/zorvane)
set(ZORVANE_DATA_DIR share/games/zorvane)

# The launcher is configured with the names and relative places above, never with the prefix.
file(RELATIVE_PATH ZORVANE_DATA_FROM_GAMES
  /prefix/${ZORVANE_GAMES_DIR} /prefix/${ZORVANE_DATA_DIR})
file(RELATIVE_PATH ZORVANE_BIN_FROM_GAMES
  /prefix/${ZORVANE_GAMES_DIR} /prefix/${ZORVANE_LIB_DIR}/zorvane)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zorvane.in ${PROJECT_BINARY_DIR}/packaging/zorvane @ONLY)

install(TARGETS zorvane RUNTIME DESTINATION ${ZORVANE_LIB_DIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/zorvane DESTINATION ${ZORVANE_GAMES_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resource DESTINATION ${ZORVANE_DATA_DIR})

# The asset generator decides the sizes; every one it drew goes to its place in the icon theme.
file(GLOB ZORVANE_ICONS ${PROJECT_SOURCE_DIR}/packaging/icons/zorvane-*.png)
foreach(icon ${ZORVANE_ICONS})
  string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME zorvane.png)
endforeach()

# The project has no public home yet: a name under the documentation domain example.org stands in
# for the homepage, the package's source and the AppStream id.
set(ZORVANE_HOMEPAGE "https://zorvane.example.org/")
set(ZORVANE_APPSTREAM_ID org.example.zorvane)

# Documents and metadata, made at configure time in one staging directory: the manual page and the
# AppStream file carry the version and homepage, the copyright file the licence terms of LICENSE.
set(ZORVANE_DOC_STAGE ${PROJECT_BINARY_DIR}/packaging/doc)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zorvane.6.in ${ZORVANE_DOC_STAGE}/zorvane.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/${ZORVANE_APPSTREAM_ID}.metainfo.xml.in
  ${ZORVANE_DOC_STAGE}/${ZORVANE_APPSTREAM_ID}.metainfo.xml @ONLY)
# The licence as a DEP-5 paragraph: every line indented by one space, empty lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ZORVANE_LICENCE_TERMS)
string(REGEX REPLACE "^.*\nCopyright [^\n]*\n\n" "" ZORVANE_LICENCE_TERMS "${ZORVANE_LICENCE_TERMS}")
string(STRIP "${ZORVANE_LICENCE_TERMS}" ZORVANE_LICENCE_TERMS)
string(REPLACE "\n\n" "\n.\n" ZORVANE_LICENCE_TERMS "${ZORVANE_LICENCE_TERMS}")
string(REPLACE "\n" "\n " ZORVANE_LICENCE_TERMS " ${ZORVANE_LICENCE_TERMS}")
# These two open with a line saying what they are, which the Debian formats have no place for.
foreach(doc copyright.in changelog.Debian)
  file(READ ${PROJECT_SOURCE_DIR}/packaging/${doc} text)
  string(REGEX REPLACE "^#[^\n]*\n" "" text "${text}")
  string(REPLACE ".in" "" doc ${doc})
  file(CONFIGURE OUTPUT ${ZORVANE_DOC_STAGE}/${doc} CONTENT "${text}" @ONLY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/copyright.in
  ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian)
# Debian wants the manual page and the changelog compressed; -n keeps the build's time out of them.
foreach(doc zorvane.6 changelog.Debian)
  execute_process(COMMAND gzip -9n -c ${doc} WORKING_DIRECTORY ${ZORVANE_DOC_STAGE}
    OUTPUT_FILE ${ZORVANE_DOC_STAGE}/${doc}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${ZORVANE_DOC_STAGE}/zorvane.6.gz DESTINATION share/man/man6)
install(FILES ${ZORVANE_DOC_STAGE}/copyright ${ZORVANE_DOC_STAGE}/changelog.Debian.gz
  DESTINATION share/doc/zorvane)
install(FILES ${ZORVANE_DOC_STAGE}/${ZORVANE_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
# lintian reads its overrides only from a package, which installs into /usr.
install(CODE "if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/lintian/overrides\" TYPE FILE
    RENAME zorvane FILES \"${PROJECT_SOURCE_DIR}/packaging/lintian-overrides\")
endif()")

# A menu only finds `Exec=zorvane` when games/ is on PATH, which holds for /usr/games but not for a
# prefix like ~/.local or /opt/zorvane. So the entry is written at install time with the launcher's
# absolute path under the final prefix (DESTDIR, as the .deb uses, is not part of it).
install(CODE "set(ZORVANE_DESKTOP_SOURCE \"${PROJECT_SOURCE_DIR}/packaging/zorvane.desktop\")
set(ZORVANE_DESKTOP_STAGE \"${PROJECT_BINARY_DIR}/packaging/stage\")
set(ZORVANE_GAMES_DIR \"${ZORVANE_GAMES_DIR}\")")
install(CODE [[
  # Desktop entry quoting: a path with reserved characters is double-quoted with ", `, $ and \ escaped,
  # then the value as a whole escapes \ once more and % as %%.
  set(launcher "${CMAKE_INSTALL_PREFIX}/${ZORVANE_GAMES_DIR}/zorvane")
  if(launcher MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`=%[]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" launcher "${launcher}")
    set(launcher "\"${launcher}\"")
  endif()
  string(REPLACE "\\" "\\\\" launcher "${launcher}")
  string(REPLACE "%" "%%" launcher "${launcher}")
  file(READ "${ZORVANE_DESKTOP_SOURCE}" entry)
  string(REPLACE "\nExec=zorvane" "\nExec=${launcher}" entry "${entry}")
  # One staging place per destination, so installs into two places at once do not share a file.
  string(SHA1 stage "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(stage "${ZORVANE_DESKTOP_STAGE}/${stage}/zorvane.desktop")
  file(WRITE "${stage}" "${entry}")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES "${stage}")
]])

# Debian package: `cpack -G DEB` in the build directory gives zorvane_<version>-<revision>_<arch>.deb,
# the revision being the one at the top of packaging/changelog.Debian.
# Installing and packaging take what is built instead of first building everything (tests, tools,
# simulator): the package holds only the game, so building the `zorvane` target is enough.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian ZORVANE_CHANGELOG_TOP
  REGEX "^zorvane \\(" LIMIT_COUNT 1)
string(REGEX REPLACE "^zorvane \\([^)]*-([^)-]+)\\).*" "\\1" CPACK_DEBIAN_PACKAGE_RELEASE
  "${ZORVANE_CHANGELOG_TOP}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade shooter where captured bullets become bombs")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME zorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZORVANE_HOMEPAGE})
# Build trees configured before hold the old default, an address lintian rejects; they take the new one.
if(ZORVANE_MAINTAINER STREQUAL "ZORVANE developers <zorvane@localhost>")
  unset(ZORVANE_MAINTAINER CACHE)
endif()
set(ZORVANE_MAINTAINER "The ZORVANE developers <developers@zorvane.example.org>" CACHE STRING
  "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZORVANE_MAINTAINER}")
# The summary above is the synopsis line; this is the long text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "One boss stands at the top of the field and sends out waves of
minions that fire bullet patterns. While its two pods are attached the
ship cannot shoot, but a push of the fire button captures every enemy
bullet near the pods and turns each into a bomb. Survive ${ZORVANE_BOSS_LAST_AGE} frames or
shoot the boss down. Difficulty runs from ${ZORVANE_LEVEL_MIN} to ${ZORVANE_LEVEL_MAX}.")
include(CPack)
