# The fuzz build (QV_FUZZ_BUILD, with clang): the archive decoders, and the
# extraction's walk as shipped over a file system in memory.
include(cmake/minizip.cmake)
set(QV_FUZZ_COMPILE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
set(QV_FUZZ_LINK -fsanitize=fuzzer,address,undefined)

qv_minizip_library(qv_minizip_fuzz)
target_compile_options(qv_minizip_fuzz PRIVATE ${QV_FUZZ_COMPILE})

add_executable(archive_format_fuzz tests/fuzz/archive_format_fuzz.cpp payload/archive_format.cpp runtime/text.cpp)
add_executable(archive_walk_fuzz tests/fuzz/archive_walk_fuzz.cpp tests/support/memory_walk.cpp
    tests/support/memory_file_system.cpp ${QV_PAYLOAD_WALK} ${QV_PAYLOAD_PURE} ${QV_RUNTIME_PURE}
    runtime/memory_host.cpp tools/pack/zip_check.cpp)
target_link_libraries(archive_walk_fuzz qv_minizip_fuzz)
foreach(fuzzer archive_format_fuzz archive_walk_fuzz)
    target_compile_options(${fuzzer} PRIVATE ${QV_FUZZ_COMPILE})
    target_link_options(${fuzzer} PRIVATE ${QV_FUZZ_LINK})
endforeach()
