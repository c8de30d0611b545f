// One fault the structural check found: the parts of the check report them alike.
#pragma once

#include <cstdint>
#include <string>

namespace jet {

struct CheckFault {
    uint32_t page = 0;    // where the fault lies (or the table's first TDEF page)
    std::string message;  // German, for the operator
};

}  // namespace jet
