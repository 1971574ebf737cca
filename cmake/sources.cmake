# Pure logic of each subsystem: no <windows.h>, builds natively and for Windows.
set(QV_RUNTIME_PURE runtime/text.cpp runtime/format.cpp runtime/values.cpp runtime/error_text.cpp runtime/link_rules.cpp runtime/user_rules.cpp
    runtime/registry_rules.cpp)
set(QV_INSTALLER_PURE installer/registration.cpp installer/shortcuts.cpp installer/exit_code.cpp)
set(QV_SHELL_PURE shell/shell_rules.cpp)
set(QV_PAYLOAD_PURE payload/archive_format.cpp payload/archive_rules.cpp)
# The extraction's walk over a file system table: pure as well, over minizip
# and zlib.
set(QV_PAYLOAD_WALK payload/entry_data.cpp payload/archive_file.cpp payload/archive_reader.cpp
    payload/folders.cpp payload/extractor.cpp)
set(QV_PURE_SOURCES ${QV_RUNTIME_PURE} ${QV_INSTALLER_PURE} ${QV_SHELL_PURE} ${QV_PAYLOAD_PURE})

# Tests of the pure logic; run natively and under Wine.
set(QV_NATIVE_TEST_SOURCES
    tests/runtime/values_test.cpp
    tests/runtime/error_text_test.cpp
    tests/runtime/registry_rules_test.cpp
    tests/runtime/text_test.cpp
    tests/runtime/link_rules_test.cpp
    tests/runtime/user_rules_test.cpp
    tests/installer/registration_test.cpp
    tests/installer/shortcuts_test.cpp
    tests/shell/shell_rules_test.cpp
    tests/payload/archive_format_test.cpp
)
