#include "jet/table/table_write_refusal.h"

#include <string>

#include "jet/base/errors.h"
#include "jet/base/text.h"

namespace jet {

namespace {

// Why the column forbids changes, as the end of a German sentence; nullptr when it does not.
const char* refusalReason(const Format& format, const ColumnDef& column) {
    if (!format.isAce()) return nullptr;
    if (column.type() == ColumnType::Complex)
        return "ist ein Feld mit Anlagen, mehreren Werten oder Versionsverlauf (Access 2007+)";
    if (column.extFlags & column_flag::kExtCalculated)
        return "ist ein berechnetes Feld (Access 2010+)";
    return nullptr;
}

}  // namespace

void requireWritableTable(const Format& format, const TableDefinition& table) {
    for (const ColumnDef& column : table.columns) {
        if (const char* reason = refusalReason(format, column))
            throw Error(ErrorCode::NotSupported,
                        "Die Tabelle kann weder geändert noch kopiert werden: die Spalte '" +
                            toUtf8(column.name) + "' " + reason +
                            ", deren Werte dieses Programm nur lesen kann.");
    }
}

}  // namespace jet
