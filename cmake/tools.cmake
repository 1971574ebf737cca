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

# The payload packer and validator, and the sample product's data files.
add_library(qv_pack STATIC tools/pack/zip_writer.cpp tools/pack/zip_check.cpp payload/archive_format.cpp runtime/text.cpp)
target_link_libraries(qv_pack PUBLIC z)
add_executable(qvpack tools/pack/qvpack_main.cpp)
target_link_libraries(qvpack qv_pack)
add_executable(sample_filler sample/sample_filler.cpp)

add_executable(pack_tests tests/tools/pack_test.cpp)
target_link_libraries(pack_tests qv_pack GTest::gtest GTest::gtest_main)
target_compile_options(pack_tests PRIVATE ${QV_SANITIZE})
target_link_options(pack_tests PRIVATE ${QV_SANITIZE})
add_test(NAME native.pack COMMAND pack_tests)
