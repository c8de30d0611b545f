#include "bench/bench_rows.h"

#include <stdexcept>

#include "jet/base/text.h"

namespace bench {

namespace {

std::u16string text(const std::string& utf8) {
    return jet::fromUtf8(utf8);
}

}  // namespace

// Keep in step with bench/make_source.py, which writes the same rows into the sources.
std::array<jet::Value, 10> benchRow(int64_t i) {
    std::array<jet::Value, 10> row;
    row[0] = static_cast<int32_t>(i);
    row[1] = text("Müller-Lüdenscheidt " + std::to_string(i));
    row[2] = text("Köln-Süd " + std::to_string(i % 997));
    row[3] = static_cast<double>(i) * 1.25;
    row[4] = jet::Currency{i * 10000 + 1234};
    row[5] = static_cast<int16_t>(i % 30000);
    row[6] = i % 2 == 0;
    row[7] = jet::DateTime{40000.0 + static_cast<double>(i % 100000) / 8.0};
    if (i % 7 == 0)
        row[8] = jet::Null{};
    else
        row[8] = static_cast<int32_t>(i * 3 % 2000000000);
    if (i % 3 == 0)
        row[9] = jet::Null{};
    else
        row[9] = text("Bemerkung Nr. " + std::to_string(i) + " – Größe, Maße, Übergabe");
    return row;
}

// Text columns carry Unicode compression, as the fields of a table made in Access do.
std::string benchSchema(const std::string& indexCase) {
    std::string ddl =
        "CREATE TABLE [Bench]\n (\n"
        "\t[ID]\t\t\tLong Integer NOT NULL,\n"
        "\t[Name]\t\t\tText (50) WITH COMPRESSION,\n"
        "\t[Ort]\t\t\tText (50) WITH COMPRESSION,\n"
        "\t[Betrag]\t\t\tDouble,\n"
        "\t[Preis]\t\t\tCurrency,\n"
        "\t[Menge]\t\t\tInteger,\n"
        "\t[Aktiv]\t\t\tBoolean NOT NULL,\n"
        "\t[Datum]\t\t\tDateTime,\n"
        "\t[Bonus]\t\t\tLong Integer,\n"
        "\t[Notiz]\t\t\tText (200) WITH COMPRESSION\n";
    if (indexCase == "none") return ddl + ");\n";
    ddl += "\t, CONSTRAINT [PrimaryKey] PRIMARY KEY ([ID])\n);\n";
    if (indexCase == "pk") return ddl;
    if (indexCase == "pk_text") return ddl + "CREATE INDEX [NameIndex] ON [Bench] ([Name]);\n";
    throw std::invalid_argument("unknown index case " + indexCase);
}

}  // namespace bench
