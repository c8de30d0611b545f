#include <ostream>

#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "tools/jettool/command.h"

namespace jettool {

int runTables(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) return 2;
    jet::Database db(args[0], jet::OpenMode::ReadOnly);
    for (const auto* table : db.userTables()) out << jet::toUtf8(table->name) << "\n";
    return 0;
}

}  // namespace jettool
