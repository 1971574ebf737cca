# Pure logic: no <windows.h>, builds natively and for Windows.
set(QV_PURE_SOURCES
    runtime/text.cpp
    runtime/format.cpp
    runtime/values.cpp
    runtime/error_text.cpp
    runtime/registry_rules.cpp
    installer/registration.cpp
    shell/shell_rules.cpp
    payload/archive_format.cpp
)

# Tests of the pure logic; run natively and under Wine.
set(QV_NATIVE_TEST_SOURCES
    tests/runtime/values_test.cpp
    tests/runtime/error_text_test.cpp
    tests/runtime/registry_rules_test.cpp
    tests/installer/registration_test.cpp
    tests/shell/shell_rules_test.cpp
    tests/payload/archive_format_test.cpp
)
