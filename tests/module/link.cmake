# The guard-band frames are rendered through the host engine, which calls the
# library's exports: the library goes after it.
target_link_libraries(${target} PRIVATE quorvel_host quorvel_core)
