# One name, one class: no two classes of one namespace share a name across the
# host engine and the test helpers, even in files never compiled together
# (two layouts under one name corrupt whichever object the linker pairs with
# the other's code). Two checks, built inside a test so that a violation fails
# the test rather than the whole build:
# - every header of host/ and tests/ support compiles in one translation
#   unit, where a second class of a name is a redefinition, layout or not;
# - the engine's sources and that unit link with link-time optimisation,
#   where GCC compares the classes of every unit and -Werror=odr stops on two
#   definitions of one name (classes defined in .cpp files included).
file(GLOB quorvel_odr_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/core/*.h ${PROJECT_SOURCE_DIR}/tests/support/*.h
     ${PROJECT_SOURCE_DIR}/tests/*/support/*.h)
file(GLOB quorvel_odr_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/core/*.cpp)
if(TARGET quorvel_host_files)
  file(GLOB quorvel_odr_file_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/files/*.h)
  file(GLOB quorvel_odr_file_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/files/*.cpp)
  list(APPEND quorvel_odr_headers ${quorvel_odr_file_headers})
  list(APPEND quorvel_odr_sources ${quorvel_odr_file_sources})
endif()
set(quorvel_odr_includes "")
foreach(header ${quorvel_odr_headers})
  string(APPEND quorvel_odr_includes "#include \"${header}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/one_definition/all_headers.cpp
     CONTENT "// Made by tests/host/one_definition.cmake: every header of the host engine and the test helpers.\n@quorvel_odr_includes@"
     @ONLY)

# A module, so the exports and the file libraries may stay unresolved.
add_library(quorvel_one_definition MODULE EXCLUDE_FROM_ALL ${quorvel_odr_sources}
            ${PROJECT_BINARY_DIR}/one_definition/all_headers.cpp)
list(GET quorvel_gtest_libraries 0 quorvel_odr_gtest)
target_include_directories(quorvel_one_definition PRIVATE ${PROJECT_SOURCE_DIR}/host ${PROJECT_SOURCE_DIR}/include
                           ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests
                           $<TARGET_PROPERTY:${quorvel_odr_gtest},INTERFACE_INCLUDE_DIRECTORIES>)
if(TARGET quorvel_host_files)
  target_link_libraries(quorvel_one_definition PRIVATE PNG::PNG tinyobjloader::tinyobjloader)
endif()
# -O0: the check needs the compiler's type comparison, not its optimiser.
target_compile_options(quorvel_one_definition PRIVATE -O0 -flto -Werror=odr -Werror=lto-type-mismatch)
target_link_options(quorvel_one_definition PRIVATE -O0 -flto -Werror=odr -Werror=lto-type-mismatch)

add_test(NAME host.one_class_per_name
         COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target quorvel_one_definition)
