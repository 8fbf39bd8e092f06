# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installation and packaging.
include(GNUInstallDirs)

set(CALIVENTO_ID fr.calivento.Calivento)
set(CALIVENTO_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/calivento)

# The game itself lives out of PATH; "calivento" in bindir is the launcher that first moves
# into the player's data folder, where the progress files are kept.
install(TARGETS calivento RUNTIME DESTINATION ${CALIVENTO_GAME_DIR})

file(RELATIVE_PATH CALIVENTO_GAME_FROM_BIN
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CALIVENTO_GAME_DIR}/calivento)
configure_file(${PROJECT_SOURCE_DIR}/data/linux/calivento.sh.in ${PROJECT_BINARY_DIR}/launcher/calivento @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/launcher/calivento DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/data/linux/${CALIVENTO_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/linux/${CALIVENTO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Every icon size the artwork provides.
file(GLOB CALIVENTO_ICONS RELATIVE ${PROJECT_SOURCE_DIR}/data/icons CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/data/icons/hicolor/*/apps/${CALIVENTO_ID}.png
     ${PROJECT_SOURCE_DIR}/data/icons/hicolor/*/apps/${CALIVENTO_ID}.svg)
foreach(icon IN LISTS CALIVENTO_ICONS)
  get_filename_component(icon_dir ${icon} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/${icon_dir})
endforeach()

# Debian package: cpack -G DEB (tools/make-deb.sh does the whole build).
set(CPACK_PACKAGE_NAME calivento)
set(CPACK_PACKAGE_VENDOR "Les Ateliers Calivento")
set(CPACK_PACKAGE_CONTACT "Les Ateliers Calivento <contact@calivento.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://calivento.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "jeu pour reconnaître les instruments de l'orchestre / orchestra instruments game")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Calivento apprend aux enfants à reconnaître les instruments de l'orchestre
symphonique : il faut poser le nom de chaque instrument sur son image avant
que le métronome n'ait épuisé les points. Cinq jeux de trois niveaux ; un
niveau réussi ouvre le suivant.
.
Calivento teaches children to recognise the instruments of the symphony
orchestra: drag each instrument's name onto its picture before the metronome
runs out of points. Five games of three levels each; a level won opens the
next one. The game is in French.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Les Ateliers Calivento <contact@calivento.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt libraries come from shlibdeps, and with them the X11, JPEG and sound plugins. Not linked,
# so listed here: the fonts the screens are laid out for, and the way to the web browser.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, xdg-utils")

set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
include(CPack)
