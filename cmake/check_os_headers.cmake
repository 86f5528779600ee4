# cmake -DSOURCE_DIR=... -DSTAMP=... -P check_os_headers.cmake
# Fails when a source file of a layer above platform/ includes a header of
# the operating system or of the C library (<name.h>, <sys/...>).
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/principal/*.[ch]pp ${SOURCE_DIR}/subrotinas/*.[ch]pp
  ${SOURCE_DIR}/io/*.[ch]pp ${SOURCE_DIR}/runtime/*.[ch]pp)
set(offending)
foreach(source IN LISTS sources)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<[^>]*(\\.h|/)[^>]*>")
  foreach(line IN LISTS includes)
    file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
    string(STRIP "${line}" line)
    list(APPEND offending "${where}: ${line}")
  endforeach()
endforeach()
if(offending)
  list(JOIN offending "\n  " listed)
  message(FATAL_ERROR "Operating-system headers above platform/:\n  ${listed}")
endif()
file(TOUCH ${STAMP})
