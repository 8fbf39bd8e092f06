# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installation. The Debian package is built from these rules by debian/ (tools/make-deb.sh).
include(GNUInstallDirs)

set(CALIVENTO_ID fr.calivento.Calivento)
set(CALIVENTO_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/calivento)

# The game itself lives out of PATH; "calivento" in bindir is the launcher that first moves
# into the player's data folder, where the progress files are kept.
install(TARGETS calivento calivento-suivi RUNTIME DESTINATION ${CALIVENTO_GAME_DIR})
# The sound module, which the game loads from its own folder.
if(TARGET calivento_sound)
  install(TARGETS calivento_sound LIBRARY DESTINATION ${CALIVENTO_GAME_DIR})
endif()

file(RELATIVE_PATH CALIVENTO_GAME_FROM_BIN
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CALIVENTO_GAME_DIR}/calivento)
configure_file(${PROJECT_SOURCE_DIR}/data/linux/calivento.sh.in ${PROJECT_BINARY_DIR}/launcher/calivento @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/launcher/calivento DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/linux/calivento.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The parents' and teachers' guide: installed with the documentation, where the game looks for it
# from its own folder, and copied beside build/calivento for a game started from the build folder.
file(RELATIVE_PATH CALIVENTO_GUIDE_FROM_GAME
     ${CMAKE_INSTALL_PREFIX}/${CALIVENTO_GAME_DIR} ${CMAKE_INSTALL_FULL_DOCDIR})
target_compile_definitions(calivento_core PUBLIC CALIVENTO_GUIDE_FROM_GAME="${CALIVENTO_GUIDE_FROM_GAME}")
configure_file(${PROJECT_SOURCE_DIR}/data/guide/guide.html ${PROJECT_BINARY_DIR}/guide.html COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/data/guide/guide.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The school server's script (README, "À l'école").
install(FILES ${PROJECT_SOURCE_DIR}/data/postgresql/ecole.sql DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${PROJECT_SOURCE_DIR}/data/linux/${CALIVENTO_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The software-centre page names the home page and its screenshots only when the build has one.
set(metainfo ${PROJECT_SOURCE_DIR}/data/linux/${CALIVENTO_ID}.metainfo.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${metainfo})
file(READ ${metainfo} CALIVENTO_METAINFO)
if(CALIVENTO_HOMEPAGE)
  string(REGEX REPLACE "/+$" "" site "${CALIVENTO_HOMEPAGE}")
  set(web "  <url type=\"homepage\">${CALIVENTO_HOMEPAGE}</url>\n  <screenshots>\n")
  foreach(shot "menu=Le choix du jeu et du niveau" "game-tous=Tous les instruments, en jeu"
               "help=L'aide et les règles du jeu")
    string(REGEX MATCH "^[^=]*" file "${shot}")
    string(REGEX REPLACE "^[^=]*=" "" caption "${shot}")
    if(file STREQUAL "menu")
      string(APPEND web "    <screenshot type=\"default\">\n")
    else()
      string(APPEND web "    <screenshot>\n")
    endif()
    string(APPEND web "      <caption>${caption}</caption>\n      <image>${site}/docs/${file}.png</image>\n"
                      "    </screenshot>\n")
  endforeach()
  string(APPEND web "  </screenshots>\n")
  string(REPLACE "  <content_rating" "${web}  <content_rating" CALIVENTO_METAINFO "${CALIVENTO_METAINFO}")
endif()
file(WRITE ${PROJECT_BINARY_DIR}/metainfo/${CALIVENTO_ID}.metainfo.xml.new "${CALIVENTO_METAINFO}")
configure_file(${PROJECT_BINARY_DIR}/metainfo/${CALIVENTO_ID}.metainfo.xml.new
               ${PROJECT_BINARY_DIR}/metainfo/${CALIVENTO_ID}.metainfo.xml COPYONLY)
install(FILES ${PROJECT_BINARY_DIR}/metainfo/${CALIVENTO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Every icon size the artwork provides.
file(GLOB CALIVENTO_ICONS RELATIVE ${PROJECT_SOURCE_DIR}/data/icons CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/data/icons/hicolor/*/apps/${CALIVENTO_ID}.png
     ${PROJECT_SOURCE_DIR}/data/icons/hicolor/*/apps/${CALIVENTO_ID}.svg)
foreach(icon IN LISTS CALIVENTO_ICONS)
  get_filename_component(icon_dir ${icon} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/${icon_dir})
endforeach()
