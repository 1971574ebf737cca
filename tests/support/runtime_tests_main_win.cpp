// Runtime tests run inside a started runtime, with a declared-call table of
// their own.
#include <gtest/gtest.h>

#include "runtime/runtime_win.h"
#include "tests/runtime/runtime_test_table.h"

static const qv::ProgramDescription kThisProgram = {
    nullptr, 0, nullptr, 0, qv::test::kTestDeclared, qv::test::kTestDeclaredCount};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qv::StartRuntime(kThisProgram);
    return RUN_ALL_TESTS();
}
