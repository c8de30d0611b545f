// jettool drop-relations FILE: deletes every relationship, the first one each time, as a
// transfer run does before it touches any table.
#include <iostream>
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "tools/jettool/command.h"

namespace jettool {

int runDropRelations(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) {
        std::cerr << "Aufruf: jettool drop-relations DATEI\n";
        return 2;
    }
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    jet::dao::Relations relations = db->GetRelations();
    int32_t deleted = 0;
    while (relations.Count() > 0) {
        const std::u16string name = relations.Item(0).Name();
        relations.Delete(name);
        out << "Beziehung '" << jet::toUtf8(name) << "' gelöscht.\n";
        ++deleted;
    }
    db->Close();
    out << deleted << " Beziehungen gelöscht.\n";
    return 0;
}

}  // namespace jettool
