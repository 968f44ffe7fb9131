# Golden frames: rendered through the host, compared with reviewed PNGs read
# by stb_image (header-only, so the 32-bit build needs no 64-bit library).
target_link_libraries(${target} PRIVATE quorvel_host quorvel_core)
find_path(QUORVEL_STB_INCLUDE stb_image.h PATHS /usr/include/stb REQUIRED)
target_include_directories(${target} SYSTEM PRIVATE ${QUORVEL_STB_INCLUDE})
