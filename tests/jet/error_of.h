// The number of the jet::Error a call throws, or 0 when it throws none.
#pragma once

#include <functional>

#include "jet/base/errors.h"

namespace jet::testing {

inline int errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace jet::testing
