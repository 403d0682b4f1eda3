# wlx_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
# One fuzz target: sources that define LLVMFuzzerTestOneInput over the bytes
# of one input. Always built as fuzz_<name>_replay, which runs every saved
# input of fuzz/corpus/<name>/ once and is the ctest Fuzz.<name>; with
# WLX_FUZZ (clang) also as fuzz_<name>, the libFuzzer program. Both run from
# the build's bin directory, where the servers and dictionaries are.
function(wlx_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  # Compiled once for both programs.
  add_library(fuzz_${name}_input OBJECT ${F_SOURCES})
  target_link_libraries(fuzz_${name}_input PRIVATE ${F_LIBS} fuzz_support)

  add_executable(fuzz_${name}_replay
    $<TARGET_OBJECTS:fuzz_${name}_input> $<TARGET_OBJECTS:fuzz_replay_main>)
  target_link_libraries(fuzz_${name}_replay PRIVATE ${F_LIBS} fuzz_support)
  add_dependencies(fuzz_${name}_replay Geoweave dictionaries)
  add_test(NAME Fuzz.${name}
    COMMAND fuzz_${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name}
    WORKING_DIRECTORY ${WLX_BIN_DIR})
  set_tests_properties(Fuzz.${name} PROPERTIES ENVIRONMENT "LC_ALL=C" LABELS fuzz)

  if(WLX_FUZZ)
    add_executable(fuzz_${name} $<TARGET_OBJECTS:fuzz_${name}_input>)
    target_link_libraries(fuzz_${name} PRIVATE ${F_LIBS} fuzz_support)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_${name} Geoweave dictionaries)
  endif()
endfunction()
