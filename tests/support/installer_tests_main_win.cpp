// Installer tests run inside a started runtime with the installer's own
// declared-call table.
#include <gtest/gtest.h>

#include "installer/platform_win.h"

static const qv::ProgramDescription kThisProgram = {
    nullptr, 0, nullptr, 0, qv::installer::kDeclaredCalls, qv::installer::kDeclaredCallCount};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qv::StartRuntime(kThisProgram);
    return RUN_ALL_TESTS();
}
