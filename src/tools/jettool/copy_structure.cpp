// jettool copy-structure FILE TABLE NEWNAME: an empty copy of the table with every field,
// property and index, built the way the transfer's staging copy is: field by field through
// CreateField and the four settable properties, then the rest of the structure.
#include <iostream>
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/table/table_write_refusal.h"
#include "tools/jettool/command.h"

namespace jettool {

namespace {

// Each property step may be refused; the field keeps the engine's default then.
template <typename Step>
void tryStep(Step step) {
    try {
        step();
    } catch (const jet::Error&) {
    }
}

}  // namespace

int runCopyStructure(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 3) {
        std::cerr << "Aufruf: jettool copy-structure DATEI TABELLE NEUER-NAME\n";
        return 2;
    }
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    jet::dao::TableDefs tables = db->GetTableDefs();
    const jet::dao::TableDef& source = tables.Item(jet::fromUtf8(args[1]));
    // Refused before its fields are made: a complex column's type has no CreateField.
    jet::requireWritableTable(db->storage().file().format(), source.definition());
    auto copy = db->CreateTableDef(jet::fromUtf8(args[2]));
    for (const jet::dao::Field& from : source.GetFields()) {
        jet::dao::Field field = copy->CreateField(from.Name(), from.Type(), from.Size());
        tryStep([&] { field.SetAllowZeroLength(from.AllowZeroLength()); });
        tryStep([&] { field.SetAttributes(from.Attributes()); });
        tryStep([&] { field.SetDefaultValue(from.DefaultValue()); });
        tryStep([&] { field.SetRequired(from.Required()); });
        tryStep([&] { copy->GetFields().Append(std::move(field)); });
    }
    copy->CopyStructureFrom(source);
    tables.Append(*copy);
    db->Close();
    out << "Tabelle '" << args[2] << "' angelegt.\n";
    return 0;
}

}  // namespace jettool
