# The host's file layer: PNG through libpng, other image formats through
# stb_image and stb_image_write (header-only), OBJ through tinyobjloader, PLY
# read by hand. It links Debian's 64-bit libraries, so the 32-bit build
# (QUORVEL_WITH_FILES=OFF) leaves it out; the core engine never needs it.
find_package(PNG)
find_package(tinyobjloader CONFIG QUIET)
find_path(QUORVEL_STB_DIR stb/stb_image_write.h)
if(TARGET quorvel_host AND PNG_FOUND AND tinyobjloader_FOUND AND QUORVEL_STB_DIR)
  file(GLOB quorvel_host_files_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/files/*.cpp)
  add_library(quorvel_host_files STATIC ${quorvel_host_files_sources})
  target_link_libraries(quorvel_host_files PUBLIC quorvel_host PNG::PNG tinyobjloader::tinyobjloader)
  target_compile_options(quorvel_host_files PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
else()
  message(STATUS "quorvel: libpng, stb or tinyobjloader missing; the host's file layer is not built (bash scripts/setup)")
endif()
