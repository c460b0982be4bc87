# Installs the calculator as a desktop program, and packs it for Debian:
#   cmake --install BUILD [--prefix DIR]      (DESTDIR=... works as usual)
#   cd BUILD && cpack -G DEB                  (needs dpkg-dev for the dependencies)
# scripts/package.sh does the second and checks the package with lintian.
include(GNUInstallDirs)

# Debian wants directories 0755 and files 0644 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The package's maintainer, "Name <email>", for the control file and the
# changelog. The first configure takes it from DEBFULLNAME and DEBEMAIL, as
# dch does, else from git's user.name and user.email, else the team address;
# later configures keep the cached value (-DVARNEL_MAINTAINER=... changes it).
if(NOT DEFINED CACHE{VARNEL_MAINTAINER})
  set(_varnel_name "$ENV{DEBFULLNAME}")
  set(_varnel_email "$ENV{DEBEMAIL}")
  if(_varnel_email MATCHES "^(.*[^ ]) *<(.+)>$")  # DEBEMAIL may hold "Name <email>"
    set(_varnel_name "${CMAKE_MATCH_1}")
    set(_varnel_email "${CMAKE_MATCH_2}")
  endif()
  find_package(Git QUIET)
  foreach(_varnel_field name email)
    if(_varnel_${_varnel_field} STREQUAL "" AND GIT_EXECUTABLE)
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_CURRENT_SOURCE_DIR} config user.${_varnel_field}
                      OUTPUT_VARIABLE _varnel_${_varnel_field} OUTPUT_STRIP_TRAILING_WHITESPACE
                      ERROR_QUIET RESULT_VARIABLE _varnel_git_status)
      if(NOT _varnel_git_status EQUAL 0)
        set(_varnel_${_varnel_field} "")
      endif()
    endif()
  endforeach()
  if(_varnel_name STREQUAL "")
    set(_varnel_name "Varnel developers")
  endif()
  if(_varnel_email STREQUAL "")
    set(_varnel_email "varnel@example.org")
  endif()
  set(VARNEL_MAINTAINER "${_varnel_name} <${_varnel_email}>"
      CACHE STRING "Maintainer of the Debian package, as Name <email>")
endif()
if(NOT VARNEL_MAINTAINER MATCHES "^[^<>]+ <[^<> ]+@[^<> ]+>$")
  message(WARNING "VARNEL_MAINTAINER \"${VARNEL_MAINTAINER}\" is not of the form Name <email>")
endif()

# The changelog entry and the manual pages carry the release date, not the
# build date, so that the same sources give the same package.
set(VARNEL_RELEASE_DATE "Mon, 07 Dec 2026 12:00:00 +0000")
set(VARNEL_RELEASE_DAY "2026-12-07")

# Manual pages and changelog are filled in and compressed as Debian installs
# them (gzip -9n: no name or time stamp inside) when CMake configures.
set(_varnel_packaging ${CMAKE_CURRENT_LIST_DIR}/../packaging)
set(_varnel_generated ${CMAKE_CURRENT_BINARY_DIR}/packaging)
find_program(VARNEL_GZIP gzip REQUIRED)
foreach(_varnel_doc varnel.1 varnel-batch.1 varnel-records.1 changelog)
  configure_file(${_varnel_packaging}/${_varnel_doc}.in ${_varnel_generated}/${_varnel_doc} @ONLY)
  execute_process(COMMAND ${VARNEL_GZIP} -9nc ${_varnel_generated}/${_varnel_doc}
                  OUTPUT_FILE ${_varnel_generated}/${_varnel_doc}.gz RESULT_VARIABLE _varnel_gzip_status)
  if(NOT _varnel_gzip_status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${_varnel_generated}/${_varnel_doc}")
  endif()
endforeach()

foreach(program varnel varnel-batch varnel-records)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install (cpack, cmake --install --strip) also drops the
    # compiler's .comment and .note sections, as dh_strip does.
    if(CMAKE_STRIP)
      install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
      endif()")
    endif()
    install(FILES ${_varnel_generated}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

install(FILES ${_varnel_packaging}/varnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The AppStream entry software centres list the calculator by; it carries the
# version and the release date.
set(VARNEL_METAINFO org.example.varnel.metainfo.xml)
configure_file(${_varnel_packaging}/${VARNEL_METAINFO}.in ${_varnel_generated}/${VARNEL_METAINFO} @ONLY)
install(FILES ${_varnel_generated}/${VARNEL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_varnel_packaging}/varnel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_varnel_packaging}/copyright ${_varnel_generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB _varnel_examples ${CMAKE_CURRENT_LIST_DIR}/../examples/*.txt)
install(FILES ${_varnel_examples} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel developers")
set(CPACK_PACKAGE_CONTACT "${VARNEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Thermographic Varnel Analysis Calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Compares two thermographic scans (left and right temperatures, up to 501\n"
    "readings each) on one chart, with smoothing, shifting and cut-offs, and\n"
    "computes four congruence measures: correlation, slope comparison, area ratio\n"
    "and a two-ratio method. Includes varnel-batch, which runs the same comparison\n"
    "from the command line, for one pair of scans or a list of them, and\n"
    "varnel-records, which keeps a clinic's patients, visits and scans.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VARNEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
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
