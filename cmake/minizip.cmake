# minizip's reading half (unzip.c through payload/minizip_unzip.c, ioapi.c)
# from the sources the setup script unpacks, for whichever target builds.
set(QV_MINIZIP_DIR /usr/local/src/minizip CACHE PATH "minizip sources (unzip.c, ioapi.c)")

function(qv_minizip_library name)
    add_library(${name} STATIC ${CMAKE_SOURCE_DIR}/payload/minizip_unzip.c ${QV_MINIZIP_DIR}/ioapi.c)
    target_include_directories(${name} PUBLIC ${QV_MINIZIP_DIR})
    target_compile_definitions(${name} PRIVATE NOUNCRYPT)
    target_compile_options(${name} PRIVATE -w)
    target_link_libraries(${name} PUBLIC z)
endfunction()
