# Installs the calculator as a desktop program, and packs it for Debian:
#   cmake --install BUILD [--prefix DIR]      (DESTDIR=... works as usual)
#   cd BUILD && cpack -G DEB                  (needs dpkg-dev for the dependencies)
include(GNUInstallDirs)

foreach(program varnel varnel-batch)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_varnel_packaging ${CMAKE_CURRENT_LIST_DIR}/../packaging)
install(FILES ${_varnel_packaging}/varnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_varnel_packaging}/varnel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(GLOB _varnel_examples ${CMAKE_CURRENT_LIST_DIR}/../examples/*.txt)
install(FILES ${_varnel_examples} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel developers")
set(CPACK_PACKAGE_CONTACT "Varnel developers <varnel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Thermographic Varnel Analysis Calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Compares two thermographic scans (left and right temperatures, up to 501\n"
    "readings each) on one chart, with smoothing, shifting and cut-offs, and\n"
    "computes four congruence measures: correlation, slope comparison, area ratio\n"
    "and a two-ratio method. Includes varnel-batch, which runs the same comparison\n"
    "from the command line, for one pair of scans or a list of them.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Library dependencies come from dpkg-shlibdeps; the Qt platform plugins that
# the window loads at run time are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET varnel)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
