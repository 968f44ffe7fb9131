# The render tool is run as a program, the way a user runs it; it exists only
# where the host's file layer does (64-bit builds), and elsewhere this suite
# compiles to nothing.
if(TARGET quorvel-render)
  add_dependencies(${target} quorvel-render)
  target_compile_definitions(${target} PRIVATE QUORVEL_RENDER_TOOL="$<TARGET_FILE:quorvel-render>")
endif()
