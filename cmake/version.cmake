# The version lives twice: in project() for CMake, the package files and the
# soname, and as QUORVEL_VERSION_* in quorvel_soft.h for hosts. Configuring
# stops when the two disagree, so a release cannot ship with mixed numbers.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/quorvel/quorvel_soft.h quorvel_version_lines
     REGEX "^#define QUORVEL_VERSION_(MAJOR|MINOR|PATCH) ")
foreach(part MAJOR MINOR PATCH)
  set(quorvel_header_${part} "")
  foreach(line ${quorvel_version_lines})
    if(line MATCHES "^#define QUORVEL_VERSION_${part} ([0-9]+)$")
      set(quorvel_header_${part} ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
set(quorvel_header_version "${quorvel_header_MAJOR}.${quorvel_header_MINOR}.${quorvel_header_PATCH}")
if(NOT quorvel_header_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "quorvel_soft.h says version ${quorvel_header_version}, "
                      "CMakeLists.txt project() says ${PROJECT_VERSION}: make them agree")
endif()
