# quorvel_soft.dll as it ships: a VERSIONINFO resource with the project's
# version (compiled by mingw's windres), and, outside Debug builds, stripped
# with its debug information in quorvel_soft.dll.debug beside it, which the
# DLL names through a .gnu_debuglink section so a debugger finds it.
enable_language(RC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quorvel_soft.rc.in ${PROJECT_BINARY_DIR}/quorvel_soft.rc @ONLY)
target_sources(quorvel_soft PRIVATE ${PROJECT_BINARY_DIR}/quorvel_soft.rc)

if(CMAKE_BUILD_TYPE STREQUAL "Debug" OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
  set(QUORVEL_SPLIT_DEBUG OFF)
else()
  set(QUORVEL_SPLIT_DEBUG ON)
  # Release compiles without -g; the separate file is only worth shipping
  # with something in it. -g does not change the code generated.
  target_compile_options(quorvel_core PRIVATE -g)
  target_link_options(quorvel_soft PRIVATE -g)
  add_custom_command(TARGET quorvel_soft POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:quorvel_soft> $<TARGET_FILE_NAME:quorvel_soft>.debug
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:quorvel_soft>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:quorvel_soft>.debug $<TARGET_FILE_NAME:quorvel_soft>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:quorvel_soft>
    COMMENT "Splitting the debug information of quorvel_soft.dll into quorvel_soft.dll.debug"
    VERBATIM)
endif()
