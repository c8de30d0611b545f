#include "jet/dao/ddl_parser.h"

#include <gtest/gtest.h>

#include "jet/base/errors.h"
#include "jet/base/text.h"

namespace jet {
namespace {

const NewColumn& columnNamed(const NewTable& t, const std::u16string& name) {
    for (const NewColumn& c : t.columns)
        if (c.name == name) return c;
    throw std::runtime_error("no column " + toUtf8(name));
}

const Property* propertyNamed(const NewColumn& c, const std::u16string& name) {
    for (const Property& p : c.properties)
        if (p.name == name) return &p;
    return nullptr;
}

// The error a text gives: its number and description.
std::pair<int32_t, std::string> errorOf(const std::string& ddl) {
    try {
        parseDdl(ddl);
    } catch (const Error& e) {
        return {e.number(), e.description()};
    }
    return {0, ""};
}

// mdb-schema's own layout: header comments, tabs, brackets, ", " line ends, DROP TABLE.
TEST(DdlParser, ReadsWhatMdbSchemaPrintsForEveryAccessType) {
    const std::string ddl =
        "-- ----------------------------------------------------------\n"
        "-- MDB Tools - A library for reading MS Access database files\n"
        "-- That file uses encoding UTF-8\n\n"
        "DROP TABLE [Kunden];\n"
        "CREATE TABLE [Kunden]\n (\n"
        "\t[id]\t\t\tLong Integer NOT NULL, \n"
        "\t[flag]\t\t\tBoolean NOT NULL, \n"
        "\t[b]\t\t\tByte, \n"
        "\t[i]\t\t\tInteger, \n"
        "\t[geld]\t\t\tCurrency, \n"
        "\t[s]\t\t\tSingle, \n"
        "\t[d]\t\t\tDouble, \n"
        "\t[am]\t\t\tDateTime, \n"
        "\t[bin]\t\t\tBinary, \n"
        "\t[name]\t\t\tText (50) NOT NULL, \n"
        "\t[notiz]\t\t\tMemo/Hyperlink (255), \n"
        "\t[bild]\t\t\tOLE (255), \n"
        "\t[guid]\t\t\tReplication ID, \n"
        "\t[betrag]\t\t\tNumeric (18, 4), \n"
        "\t[Straße]\t\t\tText (255)\n"
        ");\n\n"
        "-- relationships are not implemented for access\n";
    const auto tables = parseDdl(ddl);
    ASSERT_EQ(tables.size(), 1u);
    const NewTable& t = tables[0];
    EXPECT_EQ(t.name, u"Kunden");
    ASSERT_EQ(t.columns.size(), 15u);
    struct Want {
        std::u16string name;
        ColumnType type;
        uint16_t length;
        uint8_t flags;
    };
    const uint8_t F = column_flag::kFixed | column_flag::kUpdatable, V = column_flag::kUpdatable;
    const Want want[] = {
        {u"id", ColumnType::Long, 4, F},       {u"flag", ColumnType::Boolean, 1, F},
        {u"b", ColumnType::Byte, 1, F},        {u"i", ColumnType::Integer, 2, F},
        {u"geld", ColumnType::Currency, 8, F}, {u"s", ColumnType::Single, 4, F},
        {u"d", ColumnType::Double, 8, F},      {u"am", ColumnType::DateTime, 8, F},
        {u"bin", ColumnType::Binary, 510, V},  {u"name", ColumnType::Text, 100, V},
        {u"notiz", ColumnType::Memo, 0, V},    {u"bild", ColumnType::OLE, 0, V},
        {u"guid", ColumnType::Guid, 16, F},    {u"betrag", ColumnType::Decimal, 17, F},
        {u"Straße", ColumnType::Text, 510, V},
    };
    for (size_t i = 0; i < t.columns.size(); ++i) {
        SCOPED_TRACE(toUtf8(want[i].name));
        EXPECT_EQ(t.columns[i].name, want[i].name);
        EXPECT_EQ(t.columns[i].type, want[i].type);
        EXPECT_EQ(t.columns[i].length, want[i].length);
        EXPECT_EQ(t.columns[i].flags, want[i].flags);
        EXPECT_EQ(t.columns[i].extFlags, 0) << "Jet DDL does not compress";
    }
    EXPECT_EQ(columnNamed(t, u"betrag").precision, 18);
    EXPECT_EQ(columnNamed(t, u"betrag").scale, 4);
    EXPECT_TRUE(t.indexes.empty());
}

TEST(DdlParser, NotNullIsRequiredAndDefaultIsAnExpression) {
    const auto tables = parseDdl(
        "CREATE TABLE t (a Long Integer NOT NULL DEFAULT 0, b Text (10) DEFAULT 'it''s \"x\"',"
        " c Boolean NOT NULL DEFAULT TRUE, d DateTime DEFAULT Date(), e Text (5) NULL,"
        " f Double DEFAULT -1.5 NOT NULL)");
    const NewTable& t = tables.at(0);
    auto text = [](const Property* p) { return p ? std::get<std::u16string>(p->value) : u"-"; };
    const NewColumn& a = columnNamed(t, u"a");
    ASSERT_NE(propertyNamed(a, u"Required"), nullptr);
    EXPECT_EQ(std::get<bool>(propertyNamed(a, u"Required")->value), true);
    EXPECT_EQ(propertyNamed(a, u"Required")->ddlFlag, 1);
    EXPECT_EQ(text(propertyNamed(a, u"DefaultValue")), u"0");
    EXPECT_EQ(propertyNamed(a, u"AllowZeroLength"), nullptr);
    // Text defaults in Access's own quoting; TRUE as Access's "Yes".
    EXPECT_EQ(text(propertyNamed(columnNamed(t, u"b"), u"DefaultValue")), u"\"it's \"\"x\"\"\"");
    EXPECT_EQ(text(propertyNamed(columnNamed(t, u"c"), u"DefaultValue")), u"Yes");
    EXPECT_EQ(propertyNamed(columnNamed(t, u"c"), u"Required"), nullptr)
        << "Booleans: no NULL anyway";
    EXPECT_EQ(text(propertyNamed(columnNamed(t, u"d"), u"DefaultValue")), u"Date()");
    EXPECT_TRUE(columnNamed(t, u"e").properties.empty());
    const NewColumn& f = columnNamed(t, u"f");
    EXPECT_EQ(text(propertyNamed(f, u"DefaultValue")), u"-1.5");
    EXPECT_NE(propertyNamed(f, u"Required"), nullptr);
}

TEST(DdlParser, JetSynonymsSizesAndCompression) {
    const auto t = parseDdl(
                       "create table x (a COUNTER, b varchar(20) WITH COMPRESSION, c LONG,"
                       " d SHORT, e YESNO, f MEMO WITH COMP, g HYPERLINK, h LONGBINARY, i TEXT,"
                       " j DECIMAL, k GUID, l VARBINARY(16), m FLOAT, n REAL, o BIGINT,"
                       " p DATETIME2)")
                       .at(0);
    EXPECT_EQ(columnNamed(t, u"a").type, ColumnType::Long);
    EXPECT_TRUE(columnNamed(t, u"a").flags & column_flag::kAutoLong);
    EXPECT_EQ(columnNamed(t, u"b").length, 40);
    EXPECT_EQ(columnNamed(t, u"b").extFlags, column_flag::kExtCompressedUnicode);
    EXPECT_EQ(columnNamed(t, u"c").type, ColumnType::Long);
    EXPECT_EQ(columnNamed(t, u"d").type, ColumnType::Integer);
    EXPECT_EQ(columnNamed(t, u"e").type, ColumnType::Boolean);
    EXPECT_EQ(columnNamed(t, u"f").extFlags, column_flag::kExtCompressedUnicode);
    EXPECT_TRUE(columnNamed(t, u"g").flags & column_flag::kHyperlink);
    EXPECT_EQ(columnNamed(t, u"h").type, ColumnType::OLE);
    EXPECT_EQ(columnNamed(t, u"i").length, 510);
    EXPECT_EQ(columnNamed(t, u"j").precision, 18);
    EXPECT_EQ(columnNamed(t, u"j").scale, 0);
    EXPECT_EQ(columnNamed(t, u"k").type, ColumnType::Guid);
    EXPECT_EQ(columnNamed(t, u"l").length, 16);
    EXPECT_EQ(columnNamed(t, u"m").type, ColumnType::Double);
    EXPECT_EQ(columnNamed(t, u"n").type, ColumnType::Single);
    EXPECT_EQ(columnNamed(t, u"o").type, ColumnType::BigInt);
    EXPECT_EQ(columnNamed(t, u"p").type, ColumnType::ExtendedDateTime);
}

TEST(DdlParser, ConstraintsAndIndexStatements) {
    const auto tables = parseDdl(
        "CREATE TABLE [Auftrag] ([nr] Long Integer, [pos] Integer, [kunde] Text (20),"
        " [datum] DateTime, [code] Text (5) UNIQUE,"
        " CONSTRAINT [pk] PRIMARY KEY ([nr], [pos]));\n"
        "CREATE INDEX [byKunde] ON [Auftrag] ([kunde] ASC, [datum] DESC) WITH IGNORE NULL;\n"
        "create unique index u2 on auftrag (DATUM) with disallow null;\n"
        "CREATE TABLE b (x Long CONSTRAINT bpk PRIMARY KEY);\n"
        "CREATE TABLE c (y Long); CREATE INDEX p ON c (y) WITH PRIMARY");
    ASSERT_EQ(tables.size(), 3u);
    const auto& ix = tables[0].indexes;
    ASSERT_EQ(ix.size(), 4u);
    EXPECT_EQ(ix[0].name, u"code");
    EXPECT_TRUE(ix[0].unique);
    EXPECT_FALSE(ix[0].primaryKey);
    EXPECT_EQ(ix[1].name, u"pk");
    EXPECT_TRUE(ix[1].primaryKey && ix[1].unique && ix[1].required);
    ASSERT_EQ(ix[1].columns.size(), 2u);
    EXPECT_EQ(ix[1].columns[1].column, u"pos");
    EXPECT_EQ(ix[2].name, u"byKunde");
    EXPECT_TRUE(ix[2].ignoreNulls);
    EXPECT_FALSE(ix[2].unique);
    EXPECT_TRUE(ix[2].columns[0].ascending);
    EXPECT_FALSE(ix[2].columns[1].ascending);
    EXPECT_EQ(ix[3].columns[0].column, u"datum") << "the column's own spelling";
    EXPECT_TRUE(ix[3].unique && ix[3].required);
    EXPECT_EQ(tables[1].indexes.at(0).name, u"bpk");
    EXPECT_TRUE(tables[1].indexes.at(0).primaryKey);
    EXPECT_TRUE(tables[2].indexes.at(0).primaryKey);
}

TEST(DdlParser, ASecondPrimaryKeyIsAnError) {
    auto [number, text] = errorOf(
        "CREATE TABLE b (x Long CONSTRAINT bpk PRIMARY KEY);\n"
        "CREATE INDEX p ON [b] (x) WITH PRIMARY;");
    EXPECT_EQ(number, int32_t(ErrorCode::InvalidArgument));
    EXPECT_EQ(text, "Zeile 2: Die Tabelle 'b' hat bereits einen Primärschlüssel.");
}

TEST(DdlParser, DropTableRemovesATableOfTheSameScript) {
    const auto tables = parseDdl(
        "CREATE TABLE a (x Long); DROP TABLE [A]; CREATE TABLE a (y Byte);"
        " DROP TABLE nirgends");
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].columns.at(0).name, u"y");
    EXPECT_TRUE(parseDdl("-- nur ein Kommentar\n/* und\n noch einer */ ;;").empty());
}

// Every error names the line where it lies, after comments and multi-line strings.
TEST(DdlParser, ErrorsNameTheLine) {
    struct Case {
        std::string ddl;
        ErrorCode code;
        std::string text;
    };
    const Case cases[] = {
        {"CREATE TABLE t (\n a Long,\n b Wurst\n);", ErrorCode::DdlSyntax,
         "Zeile 3: Unbekannter Datentyp 'WURST'."},
        {"-- x\n/* y\n z */\nCREATE TABLE t (a Long b Long)", ErrorCode::DdlSyntax,
         "Zeile 4: ')' erwartet, gefunden 'b'."},
        {"CREATE TABLE t (a Long,\n A Text (5))", ErrorCode::DuplicateFieldName,
         "Zeile 2: Die Spalte 'A' ist in der Tabelle 't' doppelt."},
        {"CREATE TABLE t (a Long);\n\ncreate table T (b Long)", ErrorCode::TableExists,
         "Zeile 3: Die Tabelle 'T' ist bereits vorhanden."},
        {"CREATE TABLE t (a Text (256))", ErrorCode::DdlSyntax,
         "Zeile 1: Datentyp 'TEXT': die Länge muss 1 bis 255 sein."},
        {"CREATE TABLE t (a Text (0))", ErrorCode::DdlSyntax,
         "Zeile 1: Datentyp 'TEXT': die Länge muss 1 bis 255 sein."},
        {"CREATE TABLE t (a Long (4))", ErrorCode::DdlSyntax,
         "Zeile 1: Datentyp 'LONG': dieser Typ hat keine Größe."},
        {"CREATE TABLE t (a Numeric (29, 2))", ErrorCode::DdlSyntax,
         "Zeile 1: Datentyp 'NUMERIC': die Genauigkeit muss 1 bis 28 sein."},
        {"CREATE TABLE t (a Numeric (4, 5))", ErrorCode::DdlSyntax,
         "Zeile 1: Datentyp 'NUMERIC': mehr Dezimalstellen als Stellen."},
        {"CREATE TABLE t (a Long DEFAULT 'x\n\n", ErrorCode::DdlSyntax,
         "Zeile 1: Zeichenfolge ohne schließendes '''."},
        {"CREATE TABLE [t.x] (a Long)", ErrorCode::DdlSyntax,
         "Zeile 1: Tabellenname 't.x' ist ungültig: er enthält eines der Zeichen . ! ` [ ]."},
        {"CREATE TABLE t ()", ErrorCode::DdlSyntax, "Zeile 1: Spaltenname erwartet, gefunden ')'."},
        {"CREATE TABLE t (a Long)\nCREATE TABLE u (b Long)", ErrorCode::DdlSyntax,
         "Zeile 2: ';' erwartet, gefunden 'CREATE'."},
        {"CREATE INDEX i ON t (a)", ErrorCode::ObjectNotFound,
         "Zeile 1: Die Tabelle 't' ist nicht (vorher) definiert."},
        {"CREATE TABLE t (a Long);\nCREATE INDEX i ON t (b)", ErrorCode::ItemNotFound,
         "Zeile 2: Die Spalte 'b' gibt es in der Tabelle 't' nicht."},
        {"CREATE TABLE t (a Long, o OLE);\nCREATE INDEX i ON t (o)", ErrorCode::InvalidArgument,
         "Zeile 2: Die OLE-Spalte 'o' kann nicht indiziert werden."},
        {"CREATE TABLE t (a Long);\nCREATE INDEX i ON t (a, A)", ErrorCode::DdlSyntax,
         "Zeile 2: Die Spalte 'A' steht zweimal im Index."},
        {"CREATE TABLE t (a Long UNIQUE, CONSTRAINT a UNIQUE (a))", ErrorCode::InvalidArgument,
         "Zeile 1: Der Index 'a' ist in der Tabelle 't' bereits vorhanden."},
        {"CREATE TABLE t (a Long);\nCREATE INDEX i ON t (a) WITH NOTHING", ErrorCode::DdlSyntax,
         "Zeile 2: 'PRIMARY', 'DISALLOW NULL' oder 'IGNORE NULL' erwartet, gefunden 'NOTHING'."},
        {"SELECT * FROM t", ErrorCode::DdlSyntax,
         "Zeile 1: Anweisung 'SELECT' wird nicht unterstützt (erwartet: CREATE TABLE, CREATE "
         "INDEX, DROP TABLE)."},
        {"CREATE TABLE t (a Long WITH COMPRESSION)", ErrorCode::DdlSyntax,
         "Zeile 1: WITH COMPRESSION gilt nur für Text- und Memo-Spalten."},
        {"CREATE TABLE t (a Long DEFAULT)", ErrorCode::DdlSyntax,
         "Zeile 1: Standardwert erwartet, gefunden ')'."},
    };
    for (const Case& c : cases) {
        auto [number, text] = errorOf(c.ddl);
        EXPECT_EQ(number, int32_t(c.code)) << c.ddl;
        EXPECT_EQ(text, c.text) << c.ddl;
    }
}

TEST(DdlParser, JetLimitsOnNamesColumnsAndIndexes) {
    std::string longName(65, 'x');
    EXPECT_EQ(errorOf("CREATE TABLE " + longName + " (a Long)").second,
              "Zeile 1: Tabellenname '" + longName + "' ist ungültig: mehr als 64 Zeichen.");
    std::string cols;
    for (int i = 0; i < 256; ++i) cols += (i ? ", c" : "c") + std::to_string(i) + " Byte";
    EXPECT_EQ(errorOf("CREATE TABLE t (" + cols + ")").second,
              "Zeile 1: Eine Tabelle hat höchstens 255 Spalten.");
    std::string many =
        "CREATE TABLE t (a Long, b Long, c Long, d Long, e Long, f Long, g Long,"
        " h Long, i Long, j Long, k Long);\nCREATE INDEX x ON t (a, b, c, d, e,"
        " f, g, h, i, j, k)";
    EXPECT_EQ(errorOf(many).second, "Zeile 2: Ein Index hat höchstens 10 Spalten.");
}

}  // namespace
}  // namespace jet
