#include "installer/exit_code.h"

#include "installer/registration.h"

namespace qv::installer {

uint32_t InstallerExitCode(int valuesStored, int32_t extraction) {
    uint32_t code = kExitInstalled;
    if (valuesStored != kRegistryRowCount) code += kExitRegistrationIncomplete;
    if (extraction != 1) code += kExitProductIncomplete;
    return code;
}

}  // namespace qv::installer
