// jettool import FILE TABLE CSV: appends the CSV's rows to the table through a recordset,
// one AddNew/Update per row. The header row names the columns (ignoring case). Binary and OLE
// fields are read as hex, the form export writes. A row that fails is reported and not
// stored; the others go on.
#include <fstream>
#include <iostream>
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "tools/jettool/command.h"
#include "tools/jettool/csv_reader.h"

namespace jettool {

namespace {

bool isBinary(const jet::ColumnDef& c) {
    return c.typeCode == uint8_t(jet::ColumnType::Binary) ||
           c.typeCode == uint8_t(jet::ColumnType::OLE);
}

// Hex digits to bytes; throws jet::Error when the text is not hex.
jet::Bytes fromHex(const std::string& text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    jet::Bytes out;
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = digit(text[i]), lo = i + 1 < text.size() ? digit(text[i + 1]) : -1;
        if (hi < 0 || lo < 0)
            throw jet::Error(jet::ErrorCode::ConversionFailed, "Datentypenkonvertierungsfehler.");
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return out;
}

jet::Value fieldValue(const CsvField& field, const jet::ColumnDef& column) {
    if (field.isNull()) return jet::Null{};
    if (isBinary(column)) return fromHex(field.text);
    return jet::fromUtf8(field.text);
}

}  // namespace

int runImport(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 3) return 2;
    std::ifstream csv(args[2], std::ios::binary);
    if (!csv) {
        std::cerr << "Die Datei '" << args[2] << "' kann nicht gelesen werden.\n";
        return 1;
    }
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    auto rs = db->OpenRecordset(jet::fromUtf8(args[1]));
    CsvReader reader(csv);
    auto header = reader.next();
    if (!header) return 0;
    std::vector<jet::dao::RecordsetField*> fields;
    for (const auto& name : *header) fields.push_back(&rs->Fields(jet::fromUtf8(name.text)));
    size_t stored = 0, failed = 0;
    while (auto record = reader.next()) {
        try {
            if (record->size() != fields.size())
                throw jet::Error(jet::ErrorCode::ItemNotFound,
                                 "Die Zeile hat " + std::to_string(record->size()) +
                                     " Felder statt " + std::to_string(fields.size()) + ".");
            rs->AddNew();
            for (size_t i = 0; i < fields.size(); ++i)
                fields[i]->SetValue(fieldValue((*record)[i], fields[i]->column()));
            rs->Update();
            if (++stored % 100 == 0) engine.Idle(jet::dao::dbRefreshCache);
        } catch (const jet::Error& e) {
            ++failed;
            std::cerr << "Zeile " << reader.recordLine() << ": Fehler " << e.number() << ": "
                      << e.description() << "\n";
        }
    }
    rs->Close();
    db->Close();
    out << stored << " Zeilen gespeichert, " << failed << " fehlerhaft.\n";
    return failed == 0 ? 0 : 1;
}

int runExec(const std::vector<std::string>& args, std::ostream&) {
    if (args.size() != 2) return 2;
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    db->Execute(jet::fromUtf8(args[1]));
    db->Close();
    return 0;
}

}  // namespace jettool
