// jettool schema FILE [TABLE]: each user table's columns with type, size, attributes and
// properties, its indexes, and the file's relationships.
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "tools/jettool/command.h"
#include "tools/jettool/property_text.h"

namespace jettool {

namespace {

using jet::toUtf8;

void printColumns(const jet::dao::TableDef& table, std::ostream& out) {
    for (const auto& field : table.GetFields()) {
        const auto& c = field.column();
        out << "  Spalte " << toUtf8(field.Name()) << ": " << jet::columnTypeName(c.typeCode)
            << " Type=" << field.Type() << " Size=" << field.Size()
            << " Attributes=" << field.Attributes() << " Nummer=" << c.number;
        if (c.typeCode == uint8_t(jet::ColumnType::Decimal))
            out << " Precision=" << int{c.precision} << " Scale=" << int{c.scale};
        if (c.isAutoNumber()) out << " AutoNumber";
        if (c.isCompressedUnicode()) out << " UnicodeCompression";
        out << "\n";
        for (const auto& p : field.properties())
            out << "    " << toUtf8(p.name) << " = " << propertyText(p) << "\n";
    }
}

std::string indexColumns(const jet::TableDefinition& t, const jet::RealIndexDef& real) {
    std::string text;
    for (const auto& ic : real.columns) {
        const jet::ColumnDef* c = t.columnByNumber(ic.columnNumber);
        if (!text.empty()) text += ", ";
        text += c ? toUtf8(c->name) : "#" + std::to_string(ic.columnNumber);
        if (!ic.ascending) text += " DESC";
    }
    return text;
}

void printIndexes(const jet::dao::TableDef& table, std::ostream& out) {
    const auto& t = table.definition();
    for (const auto& logical : t.logicalIndexes) {
        const auto& real = t.realIndexes[logical.realIndex];
        out << "  Index " << toUtf8(logical.name) << " (" << indexColumns(t, real) << ")";
        if (logical.kind == uint8_t(jet::LogicalIndexKind::PrimaryKey)) out << " PRIMARY KEY";
        if (logical.kind == uint8_t(jet::LogicalIndexKind::ForeignKey)) out << " FOREIGN KEY";
        if (real.flags & jet::index_flag::kUnique) out << " UNIQUE";
        if (real.flags & jet::index_flag::kIgnoreNulls) out << " IGNORE NULLS";
        if (real.flags & jet::index_flag::kRequired) out << " REQUIRED";
        out << "\n";
    }
}

void printTable(const jet::dao::TableDef& table, std::ostream& out) {
    out << "Tabelle " << toUtf8(table.Name()) << "\n";
    if (const auto* own = table.properties().object())
        for (const auto& p : own->properties)
            out << "  " << toUtf8(p.name) << " = " << propertyText(p) << "\n";
    printColumns(table, out);
    printIndexes(table, out);
}

void printRelations(const jet::dao::Relations& relations, const std::u16string* only,
                    std::ostream& out) {
    for (int32_t i = 0; i < relations.Count(); ++i) {
        const auto& r = relations.Item(i).stored();
        if (only && !jet::equalIgnoringCase(*only, r.table) &&
            !jet::equalIgnoringCase(*only, r.referencedTable))
            continue;
        out << "Beziehung " << toUtf8(r.name) << ": " << toUtf8(r.referencedTable) << " -> "
            << toUtf8(r.table) << " (";
        for (size_t k = 0; k < r.columns.size(); ++k)
            out << (k ? ", " : "") << toUtf8(r.columns[k].referencedColumn) << " = "
                << toUtf8(r.columns[k].column);
        out << ") Attributes=" << r.flags << "\n";
    }
}

}  // namespace

int runSchema(const std::vector<std::string>& args, std::ostream& out) {
    if (args.empty() || args.size() > 2) return 2;
    jet::dao::Database db(args[0], jet::OpenMode::ReadOnly);
    std::u16string only = args.size() == 2 ? jet::fromUtf8(args[1]) : std::u16string();
    if (args.size() == 2) {
        const auto& table = db.GetTableDefs().Item(only);
        printTable(table, out);
    } else {
        for (const auto* entry : db.storage().userTables())
            printTable(db.GetTableDefs().Item(entry->name), out);
    }
    printRelations(db.GetRelations(), args.size() == 2 ? &only : nullptr, out);
    return 0;
}

}  // namespace jettool
