# The host's file layer: PNG through libpng, OBJ through tinyobjloader, PLY
# read by hand. It links Debian's 64-bit libraries, so the 32-bit build
# (QUORVEL_WITH_FILES=OFF) leaves it out; the core engine never needs it.
find_package(PNG)
find_package(tinyobjloader CONFIG QUIET)
if(TARGET quorvel_host AND PNG_FOUND AND tinyobjloader_FOUND)
  file(GLOB quorvel_host_files_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/files/*.cpp)
  add_library(quorvel_host_files STATIC ${quorvel_host_files_sources})
  target_link_libraries(quorvel_host_files PUBLIC quorvel_host PNG::PNG tinyobjloader::tinyobjloader)
  target_compile_options(quorvel_host_files PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
else()
  message(STATUS "quorvel: libpng or tinyobjloader missing; the host's file layer is not built (bash scripts/setup)")
endif()
