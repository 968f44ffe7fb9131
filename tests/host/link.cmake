# The host engine calls the library's exports: the library goes after it.
target_link_libraries(${target} PRIVATE quorvel_host quorvel_core)
include(${CMAKE_CURRENT_LIST_DIR}/one_definition.cmake)
