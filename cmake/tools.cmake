# Host tools and checks built natively beside the unit tests.

set(QV_MINIZIP_DIR /usr/local/src/minizip CACHE PATH "minizip sources (unzip.c, ioapi.c)")

# Fuzzing of the pure archive decoders, with Debian's clang and libFuzzer.
find_program(QV_CLANGXX clang++)
if(QV_CLANGXX)
    set(fuzz_bin ${CMAKE_BINARY_DIR}/fuzz/archive_format_fuzz)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_custom_command(OUTPUT ${fuzz_bin}
        COMMAND ${QV_CLANGXX} -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -I${CMAKE_SOURCE_DIR}
                ${CMAKE_SOURCE_DIR}/tests/fuzz/archive_format_fuzz.cpp ${CMAKE_SOURCE_DIR}/payload/archive_format.cpp
                ${CMAKE_SOURCE_DIR}/runtime/text.cpp -o ${fuzz_bin}
        DEPENDS tests/fuzz/archive_format_fuzz.cpp payload/archive_format.cpp runtime/text.cpp runtime/text.h
                payload/archive_format.h
        COMMENT "Building the archive decoder fuzzer")
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus)
    add_test(NAME native.fuzz.archive_format
             COMMAND ${fuzz_bin} -max_total_time=30 -seed=1 -max_len=600 ${CMAKE_BINARY_DIR}/fuzz-corpus)

    # The whole walk: rules, minizip over memory, checked data, validator.
    set(walk_bin ${CMAKE_BINARY_DIR}/fuzz/archive_walk_fuzz)
    set(walk_sources tests/fuzz/archive_walk_fuzz.cpp tests/support/native_walk.cpp payload/entry_data.cpp
        payload/archive_rules.cpp payload/archive_format.cpp runtime/text.cpp runtime/memory_host.cpp
        tools/pack/zip_check.cpp)
    list(TRANSFORM walk_sources PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE walk_paths)
    find_program(QV_CLANG clang)
    add_custom_command(OUTPUT ${walk_bin}
        COMMAND ${QV_CLANG} -O1 -g -fsanitize=fuzzer-no-link,address,undefined -DNOUNCRYPT -w
                -I${QV_MINIZIP_DIR} -I${CMAKE_SOURCE_DIR} -c ${CMAKE_SOURCE_DIR}/payload/minizip_unzip.c
                -o ${CMAKE_BINARY_DIR}/fuzz/minizip_unzip.o
        COMMAND ${QV_CLANG} -O1 -g -fsanitize=fuzzer-no-link,address,undefined -w -I${QV_MINIZIP_DIR}
                -c ${QV_MINIZIP_DIR}/ioapi.c -o ${CMAKE_BINARY_DIR}/fuzz/ioapi.o
        COMMAND ${QV_CLANGXX} -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -I${CMAKE_SOURCE_DIR}
                -I${QV_MINIZIP_DIR} ${walk_paths} ${CMAKE_BINARY_DIR}/fuzz/minizip_unzip.o
                ${CMAKE_BINARY_DIR}/fuzz/ioapi.o -lz -o ${walk_bin}
        DEPENDS ${walk_sources} payload/minizip_unzip.c tests/support/native_walk.h
        COMMENT "Building the archive walk fuzzer")
    add_executable(write_seeds tests/fuzz/write_seeds.cpp tests/support/crafted_archives.cpp
        tests/support/zip_builder.cpp)
    target_link_libraries(write_seeds z)
    add_custom_target(fuzzers ALL DEPENDS ${fuzz_bin} ${walk_bin})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-walk-corpus ${CMAKE_BINARY_DIR}/fuzz-walk-seeds)
    add_test(NAME native.fuzz.archive_walk
             COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}
                     sh -c "$<TARGET_FILE:write_seeds> fuzz-walk-seeds && ${walk_bin} -max_total_time=30 -seed=1 -max_len=20000 -timeout=10 fuzz-walk-corpus fuzz-walk-seeds")
endif()

# The payload packer and validator, and the sample product's data files.
add_library(qv_pack STATIC tools/pack/zip_writer.cpp tools/pack/zip_check.cpp payload/archive_format.cpp
    payload/archive_rules.cpp runtime/text.cpp runtime/memory_host.cpp)
target_link_libraries(qv_pack PUBLIC z)
add_executable(qvpack tools/pack/qvpack_main.cpp)
target_link_libraries(qvpack qv_pack)
add_executable(sample_filler sample/sample_filler.cpp)

add_executable(pack_tests tests/tools/pack_test.cpp)
target_link_libraries(pack_tests qv_pack GTest::gtest GTest::gtest_main)
target_compile_options(pack_tests PRIVATE ${QV_SANITIZE})
target_link_options(pack_tests PRIVATE ${QV_SANITIZE})
add_test(NAME native.pack COMMAND pack_tests)

# minizip and the checked entry reading, natively: the extraction's walk on
# archives in memory, for the agreement test and the fuzzer.
add_library(qv_minizip_host STATIC payload/minizip_unzip.c ${QV_MINIZIP_DIR}/ioapi.c)
target_include_directories(qv_minizip_host PUBLIC ${QV_MINIZIP_DIR})
target_compile_definitions(qv_minizip_host PRIVATE NOUNCRYPT)
target_compile_options(qv_minizip_host PRIVATE -w)
target_link_libraries(qv_minizip_host PUBLIC z)

add_executable(archive_rules_tests tests/payload/archive_rules_test.cpp tests/support/native_walk.cpp
    tests/support/zip_builder.cpp tests/support/crafted_archives.cpp payload/entry_data.cpp)
target_link_libraries(archive_rules_tests qv_pack qv_minizip_host GTest::gtest GTest::gtest_main)
target_compile_options(archive_rules_tests PRIVATE ${QV_SANITIZE})
target_link_options(archive_rules_tests PRIVATE ${QV_SANITIZE})
add_test(NAME native.archive_rules COMMAND archive_rules_tests)
