# Installation and packaging.
include(GNUInstallDirs)
install(TARGETS calivento RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
