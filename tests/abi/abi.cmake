# A host written in C that links against the built module (the .so, or the
# DLL's import library) and refers to every export of quorvel_soft.h. It shows
# that the header compiles as strict C, that each declared name links under
# the header's calling convention, and on Linux that the loader binds all of
# them. It is not part of the default build: the build runs inside a test, so
# a missing export fails that test instead of the whole build.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/quorvel/quorvel_soft.h quorvel_api_lines REGEX "^[ \t]*QUORVEL_API")
set(quorvel_export_names "")
foreach(line ${quorvel_api_lines})
  string(REGEX MATCH "Quorvel_[A-Za-z0-9_]+_Dll" name "${line}")
  list(APPEND quorvel_export_names ${name})
endforeach()
list(LENGTH quorvel_export_names quorvel_export_count)

set(c_host_source ${PROJECT_BINARY_DIR}/abi/c_host.c)
set(c_host_entries "")
foreach(name ${quorvel_export_names})
  string(APPEND c_host_entries "    (Export_Address)${name},\n")
endforeach()
file(CONFIGURE OUTPUT ${c_host_source} CONTENT [==[
/* Made by tests/abi/abi.cmake from quorvel_soft.h: every export, by address. */
#include <stdio.h>
#include "quorvel/quorvel_soft.h"

typedef void (*Export_Address)(void);
static const Export_Address exports[] = {
@c_host_entries@};

int main(void) {
    size_t index;
    for (index = 0; index < sizeof exports / sizeof exports[0]; ++index) {
        if (exports[index] == NULL) {
            printf("export %u has no address\n", (unsigned)index);
            return 1;
        }
    }
    printf("%u exports bound\n", (unsigned)(sizeof exports / sizeof exports[0]));
    return (int)(sizeof exports / sizeof exports[0]) == @quorvel_export_count@ ? 0 : 1;
}
]==] @ONLY)

add_executable(quorvel_abi_c_host EXCLUDE_FROM_ALL ${c_host_source})
set_target_properties(quorvel_abi_c_host PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_include_directories(quorvel_abi_c_host PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_compile_options(quorvel_abi_c_host PRIVATE -Wall -Wextra -Werror -pedantic)
target_link_libraries(quorvel_abi_c_host PRIVATE quorvel_soft)
if(NOT WIN32)
  # Bind every name at load time, as a host's loader resolving imports does.
  target_link_options(quorvel_abi_c_host PRIVATE -Wl,-z,now)
endif()

if(QUORVEL_BUILD_TESTS AND NOT WIN32)
  add_test(NAME abi.c_host_links
           COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target quorvel_abi_c_host)
  set_tests_properties(abi.c_host_links PROPERTIES FIXTURES_SETUP abi_c_host)
  add_test(NAME abi.c_host_binds_every_export COMMAND quorvel_abi_c_host)
  set_tests_properties(abi.c_host_binds_every_export PROPERTIES FIXTURES_REQUIRED abi_c_host)
endif()
