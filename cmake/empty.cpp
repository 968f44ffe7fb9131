// The shared library is the core archive linked whole; this file gives CMake a source.
