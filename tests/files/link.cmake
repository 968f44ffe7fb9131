# The host's file layer exists on 64-bit builds only (it links Debian's
# libpng and tinyobjloader); elsewhere this suite compiles to nothing.
if(TARGET quorvel_host_files)
  target_link_libraries(${target} PRIVATE quorvel_host_files quorvel_host quorvel_core)
  target_compile_definitions(${target} PRIVATE QUORVEL_HAVE_HOST_FILES=1)
endif()
