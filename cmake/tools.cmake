# Host tools and checks built natively beside the unit tests.

# Fuzzing of the pure archive decoders, with Debian's clang and libFuzzer.
find_program(QV_CLANGXX clang++)
if(QV_CLANGXX)
    set(fuzz_bin ${CMAKE_BINARY_DIR}/fuzz/archive_format_fuzz)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_custom_command(OUTPUT ${fuzz_bin}
        COMMAND ${QV_CLANGXX} -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -I${CMAKE_SOURCE_DIR}
                ${CMAKE_SOURCE_DIR}/tests/fuzz/archive_format_fuzz.cpp ${CMAKE_SOURCE_DIR}/payload/archive_format.cpp
                ${CMAKE_SOURCE_DIR}/runtime/text.cpp -o ${fuzz_bin}
        DEPENDS tests/fuzz/archive_format_fuzz.cpp payload/archive_format.cpp runtime/text.cpp
        COMMENT "Building the archive decoder fuzzer")
    add_custom_target(fuzzers ALL DEPENDS ${fuzz_bin})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus)
    add_test(NAME native.fuzz.archive_format
             COMMAND ${fuzz_bin} -max_total_time=30 -seed=1 -max_len=600 ${CMAKE_BINARY_DIR}/fuzz-corpus)
endif()
