# Command-line tools built on the host engine; never part of the library.
if(TARGET quorvel_host)
  target_compile_options(quorvel_host PRIVATE -Wall -Wextra)
endif()
if(TARGET quorvel_host_files)
  add_executable(quorvel-render tools/quorvel_render.cpp)
  # The engine calls the exports, so the library comes after it on the link line.
  target_link_libraries(quorvel-render PRIVATE quorvel_host_files quorvel_host quorvel_soft)
  target_compile_options(quorvel-render PRIVATE -Wall -Wextra)
endif()
