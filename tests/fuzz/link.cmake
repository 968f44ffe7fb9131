# The fuzz target's inputs replayed without libFuzzer (scripts/fuzz builds the
# libFuzzer binary itself, with clang), and the program that writes the seeds.
add_executable(quorvel_fuzz_replay ${folder}/replay_main.cpp ${folder}/support/raw_scene.cpp)
add_executable(quorvel_fuzz_seeds ${folder}/make_seeds.cpp)
foreach(tool quorvel_fuzz_replay quorvel_fuzz_seeds)
  target_include_directories(${tool} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${tool} PRIVATE quorvel_core)
endforeach()
# Every saved input, on every preset.
add_test(NAME Fuzz_Corpus.Replays_Clean COMMAND quorvel_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus)
# Module-wide state (the pools, the run-time library's rand) must not carry
# from one scene into what the next draws, or a fuzzer finding would not
# replay on its own.
add_test(NAME Fuzz_Corpus.Replays_The_Same_In_Either_Order
         COMMAND quorvel_fuzz_replay --orders ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus)
