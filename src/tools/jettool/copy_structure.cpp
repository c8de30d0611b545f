#include <iostream>

#include "tools/jettool/command.h"

namespace jettool {

int runCopyStructure(const std::vector<std::string>&, std::ostream&) {
    std::cerr << "Noch nicht verfügbar.\n";
    return 2;
}

}  // namespace jettool
