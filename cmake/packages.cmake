# What an installation holds, and the packages CPack makes from these same
# install rules.
#
# Linux, under the prefix (GNUInstallDirs), and the Debian package
# raizes_VERSION_ARCH.deb (prefix /usr; cpack -G DEB):
#   bin/raizes, bin/raizes-plot
#   libexec/raizes/cmd                        the stand-in viewer
#   share/man/man1/raizes.1.gz, raizes-plot.1.gz
#   share/doc/raizes/guide.md.gz, copyright, changelog.gz
# Windows, one folder, the zip raizes-VERSION-win64.zip or -win32.zip
# (cpack -G ZIP): raizes.exe, raizes-plot.exe, guide.txt, LICENSE.txt and
# README.txt, the texts with CR LF line ends.

set(RAIZES_PACKAGE_CONTACT "raizes developers <raizes@example.org>"
    CACHE STRING "Maintainer of the packages: a name and an e-mail address")

if(WIN32)
  install(TARGETS raizes raizes-plot RUNTIME DESTINATION .)
  # A zip needs the two programs only: cpack does not build every target
  # first (the Windows tests among them); a program not built is missing.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  # Texts for Notepad. The guide and the license are copied as they are
  # (neither holds a @NAME@ pattern), the README gets its version.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(RAIZES_WINDOWS_KIND "64-bit")
    set(RAIZES_WINDOWS_NOTE "This is the 64-bit program; for 32-bit Windows take the win32 zip.")
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(RAIZES_WINDOWS_KIND "32-bit")
    set(RAIZES_WINDOWS_NOTE "This 32-bit program also runs on 64-bit Windows, on any processor with SSE2.")
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(windows_texts ${CMAKE_CURRENT_BINARY_DIR}/windows-texts)
  configure_file(packaging/README.txt ${windows_texts}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(doc/guide.md ${windows_texts}/guide.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${windows_texts}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${windows_texts}/README.txt ${windows_texts}/guide.txt ${windows_texts}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  install(TARGETS raizes raizes-plot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(PROGRAMS tools/cmd DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/raizes)

  # Manual pages, the guide and the changelog compressed as Debian wants
  # them: gzip -9 without a name or a time stamp.
  file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
  if(NOT changelog_head MATCHES "^raizes \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog has no entry for version ${PROJECT_VERSION} at its top")
  endif()
  set(compressed)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/compressed)
  foreach(source doc/raizes.1 doc/raizes-plot.1 doc/guide.md packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${output}
      DEPENDS ${source}
      COMMENT "Compressing ${source}"
      VERBATIM)
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(raizes_compressed_texts ALL DEPENDS ${compressed})
  set(compressed_dir ${CMAKE_CURRENT_BINARY_DIR}/compressed)
  install(FILES ${compressed_dir}/raizes.1.gz ${compressed_dir}/raizes-plot.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${compressed_dir}/guide.md.gz ${compressed_dir}/changelog.gz packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION math)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

set(CPACK_PACKAGE_NAME raizes)
set(CPACK_PACKAGE_VENDOR "raizes developers")
set(CPACK_PACKAGE_CONTACT "${RAIZES_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "root of an equation by five numerical methods, step by step")
set(CPACK_PACKAGE_DESCRIPTION [=[
raizes is a small console program for students of numerical methods. It
finds the root of one fixed equation,
 f(x) = 667.38 (1 - e^(-0.146843 x)) / x - 40,
by bisection, false position, simple fixed point, Newton-Raphson or the
secant method. It asks for the method and its inputs (in Portuguese), writes
every iterate with its change from the one before to a report file, and
shows the report in the terminal when the run ends.

raizes-plot draws one or more reports as a picture (SVG): the iterates and,
on a logarithmic scale, their changes, with the order of convergence that
the last rows suggest, so that the methods can be compared at a glance.]=])
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
include(CPack)
