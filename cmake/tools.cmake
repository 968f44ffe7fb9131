# Command-line tools built on the host engine; never part of the library.
if(TARGET quorvel_host)
  target_compile_options(quorvel_host PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
endif()
if(TARGET quorvel_host_files)
  add_executable(quorvel-render ${PROJECT_SOURCE_DIR}/tools/quorvel_render.cpp)
  # The engine calls the exports, so the library comes after it on the link line.
  target_link_libraries(quorvel-render PRIVATE quorvel_host_files quorvel_host quorvel_soft)
  target_compile_options(quorvel-render PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)

  # quorvel-peer-bench: real meshes (scripts/fetch-meshes) in whole frames, and
  # the same scenes through OSMesa when Debian's libosmesa6-dev is installed
  # (64-bit only). OSMesa is a dependency of this tool alone.
  add_executable(quorvel-peer-bench ${PROJECT_SOURCE_DIR}/tools/quorvel_peer_bench.cpp)
  target_link_libraries(quorvel-peer-bench PRIVATE quorvel_host_files quorvel_host quorvel_core)
  target_compile_options(quorvel-peer-bench PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
  find_path(QUORVEL_OSMESA_INCLUDE GL/osmesa.h)
  find_library(QUORVEL_OSMESA_LIBRARY OSMesa)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND QUORVEL_OSMESA_INCLUDE AND QUORVEL_OSMESA_LIBRARY)
    target_compile_definitions(quorvel-peer-bench PRIVATE QUORVEL_PEER_OSMESA=1 GL_GLEXT_PROTOTYPES)
    target_include_directories(quorvel-peer-bench PRIVATE ${QUORVEL_OSMESA_INCLUDE})
    target_link_libraries(quorvel-peer-bench PRIVATE ${QUORVEL_OSMESA_LIBRARY})
  endif()
endif()

# quorvel-bench: Google Benchmark is a 64-bit Debian library, so the 32-bit
# preset (whose find step sees no 64-bit libraries) builds without it. It links
# the library's static core, not the shared library: the filler benchmarks
# call the rows' fillers directly on faces a frame has prepared.
find_package(benchmark QUIET)
if(TARGET quorvel_host AND benchmark_FOUND)
  add_executable(quorvel-bench ${PROJECT_SOURCE_DIR}/tools/quorvel_bench.cpp)
  target_link_libraries(quorvel-bench PRIVATE quorvel_host quorvel_core benchmark::benchmark)
  target_compile_options(quorvel-bench PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
endif()
