#include "jet/dao/ddl_parser.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/catalog/property_writer.h"
#include "jet/dao/table_creator.h"

namespace jet {

namespace {

// Jet's limits on a table's make-up.
constexpr size_t kMaxNameLength = 64;
constexpr size_t kMaxColumns = 255;
constexpr size_t kMaxIndexes = 32;
constexpr size_t kMaxIndexColumns = 10;
constexpr int kMaxTextChars = 255;
constexpr int kMaxBinaryBytes = 510;
constexpr int kMaxDecimalPrecision = 28;

enum class TokenKind { End, Word, QuotedName, Number, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // a word as written, a name or string without its quotes
    size_t line = 1;
    size_t begin = 0;  // byte offsets of the token in the source
    size_t end = 0;
};

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

[[noreturn]] void fail(ErrorCode code, size_t line, const std::string& what) {
    throw Error(code, "Zeile " + std::to_string(line) + ": " + what);
}

bool isWordChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || c == '#' || c == '@' || u >= 0x80;
}

// Splits the text into tokens, dropping blanks and comments.
class Lexer {
  public:
    explicit Lexer(std::string_view text) : s_(text) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            skipBlanksAndComments();
            Token t;
            t.line = line_;
            t.begin = i_;
            if (i_ >= s_.size()) {
                t.end = i_;
                out.push_back(std::move(t));
                return out;
            }
            scan(t);
            t.end = i_;
            out.push_back(std::move(t));
        }
    }

  private:
    void skipBlanksAndComments() {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '\n') {
                ++line_, ++i_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else if (s_.substr(i_, 2) == "--") {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
            } else if (s_.substr(i_, 2) == "/*") {
                size_t startLine = line_;
                size_t close = s_.find("*/", i_ + 2);
                if (close == std::string_view::npos)
                    fail(ErrorCode::DdlSyntax, startLine, "Kommentar ohne Ende ('*/' fehlt).");
                line_ += size_t(std::count(s_.begin() + long(i_), s_.begin() + long(close), '\n'));
                i_ = close + 2;
            } else {
                return;
            }
        }
    }

    void scan(Token& t) {
        char c = s_[i_];
        if (c == '[' || c == '`') {
            t.kind = TokenKind::QuotedName;
            t.text = closed(c == '[' ? ']' : '`', false, "Name");
        } else if (c == '\'' || c == '"') {
            t.kind = TokenKind::String;
            t.text = closed(c, true, "Zeichenfolge");
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i_ + 1 < s_.size() &&
                    std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
            t.kind = TokenKind::Number;
            size_t start = i_;
            while (i_ < s_.size() &&
                   (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' ||
                    ((s_[i_] == '+' || s_[i_] == '-') && (s_[i_ - 1] == 'e' || s_[i_ - 1] == 'E'))))
                ++i_;
            t.text = s_.substr(start, i_ - start);
        } else if (isWordChar(c)) {
            t.kind = TokenKind::Word;
            size_t start = i_;
            while (i_ < s_.size() && isWordChar(s_[i_])) ++i_;
            t.text = s_.substr(start, i_ - start);
        } else {
            t.kind = TokenKind::Punct;
            t.text = std::string(1, c);
            ++i_;
        }
    }

    // The text up to the closing character; with `doubling`, two of them stand for one.
    std::string closed(char close, bool doubling, const char* what) {
        size_t startLine = line_;
        std::string out;
        for (++i_; i_ < s_.size(); ++i_) {
            char c = s_[i_];
            if (c == close) {
                if (doubling && i_ + 1 < s_.size() && s_[i_ + 1] == close) {
                    out += c;
                    ++i_;
                    continue;
                }
                ++i_;
                return out;
            }
            if (c == '\n') ++line_;
            out += c;
        }
        fail(ErrorCode::DdlSyntax, startLine,
             std::string(what) + " ohne schließendes '" + close + "'.");
    }

    std::string_view s_;
    size_t i_ = 0;
    size_t line_ = 1;
};

struct TypeInfo {
    ColumnType type;
    uint8_t extraFlags = 0;  // AutoNumber, hyperlink
};

// Access's type names and the Jet SQL synonyms, in capitals; multi-word names with one blank.
std::optional<TypeInfo> lookUpType(const std::string& name) {
    using T = ColumnType;
    struct Entry {
        const char* name;
        TypeInfo info;
    };
    static const Entry kTypes[] = {
        {"BOOLEAN", {T::Boolean}},
        {"BIT", {T::Boolean}},
        {"YESNO", {T::Boolean}},
        {"LOGICAL", {T::Boolean}},
        {"LOGICAL1", {T::Boolean}},
        {"BYTE", {T::Byte}},
        {"TINYINT", {T::Byte}},
        {"INTEGER1", {T::Byte}},
        // Access calls the 16-bit integer "Integer"; mdb-schema prints it so.
        {"INTEGER", {T::Integer}},
        {"SHORT", {T::Integer}},
        {"SMALLINT", {T::Integer}},
        {"INTEGER2", {T::Integer}},
        {"LONG INTEGER", {T::Long}},
        {"LONG", {T::Long}},
        {"INT", {T::Long}},
        {"INTEGER4", {T::Long}},
        // ACE 16 and later ("Large Number"); the table creator refuses it in older files.
        {"BIGINT", {T::BigInt}},
        {"COUNTER", {T::Long, column_flag::kAutoLong}},
        {"AUTOINCREMENT", {T::Long, column_flag::kAutoLong}},
        {"CURRENCY", {T::Currency}},
        {"MONEY", {T::Currency}},
        {"SINGLE", {T::Single}},
        {"REAL", {T::Single}},
        {"FLOAT4", {T::Single}},
        {"IEEESINGLE", {T::Single}},
        {"DOUBLE", {T::Double}},
        {"DOUBLE PRECISION", {T::Double}},
        {"FLOAT", {T::Double}},
        {"FLOAT8", {T::Double}},
        {"IEEEDOUBLE", {T::Double}},
        {"NUMBER", {T::Double}},
        {"DATETIME", {T::DateTime}},
        {"DATE", {T::DateTime}},
        {"TIME", {T::DateTime}},
        {"TIMESTAMP", {T::DateTime}},
        // ACE 17 and later (Date/Time Extended), under SQL Server's name for the same range.
        {"DATETIME2", {T::ExtendedDateTime}},
        {"BINARY", {T::Binary}},
        {"VARBINARY", {T::Binary}},
        {"BINARY VARYING", {T::Binary}},
        {"TEXT", {T::Text}},
        {"CHAR", {T::Text}},
        {"CHARACTER", {T::Text}},
        {"VARCHAR", {T::Text}},
        {"CHARACTER VARYING", {T::Text}},
        {"NCHAR", {T::Text}},
        {"NVARCHAR", {T::Text}},
        {"STRING", {T::Text}},
        {"ALPHANUMERIC", {T::Text}},
        {"MEMO", {T::Memo}},
        {"MEMO/HYPERLINK", {T::Memo}},
        {"LONGTEXT", {T::Memo}},
        {"LONG TEXT", {T::Memo}},
        {"LONGCHAR", {T::Memo}},
        {"NOTE", {T::Memo}},
        {"NTEXT", {T::Memo}},
        {"HYPERLINK", {T::Memo, column_flag::kHyperlink}},
        {"OLE", {T::OLE}},
        {"OLEOBJECT", {T::OLE}},
        {"LONGBINARY", {T::OLE}},
        {"LONG BINARY", {T::OLE}},
        {"GENERAL", {T::OLE}},
        {"IMAGE", {T::OLE}},
        {"REPLICATION ID", {T::Guid}},
        {"GUID", {T::Guid}},
        {"UNIQUEIDENTIFIER", {T::Guid}},
        {"NUMERIC", {T::Decimal}},
        {"DECIMAL", {T::Decimal}},
        {"DEC", {T::Decimal}},
    };
    for (const Entry& e : kTypes)
        if (name == e.name) return e.info;
    return std::nullopt;
}

bool sameName(const std::u16string& a, const std::u16string& b) {
    return equalIgnoringCase(a, b);
}

class Parser {
  public:
    explicit Parser(std::string_view text) : src_(text), tokens_(Lexer(text).run()) {}

    std::vector<NewTable> run() {
        while (peek().kind != TokenKind::End) {
            if (acceptPunct(";")) continue;
            statement();
            if (peek().kind != TokenKind::End) expectPunct(";");
        }
        return std::move(tables_);
    }

  private:
    // --- tokens ---
    const Token& peek(size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    const Token& take() {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size()) ++pos_;
        return t;
    }
    bool isWord(const Token& t, const char* word) const {
        return t.kind == TokenKind::Word && upper(t.text) == word;
    }
    bool acceptWord(const char* word) {
        if (!isWord(peek(), word)) return false;
        take();
        return true;
    }
    bool acceptPunct(const char* p) {
        if (peek().kind != TokenKind::Punct || peek().text != p) return false;
        take();
        return true;
    }
    static std::string shown(const Token& t) {
        if (t.kind == TokenKind::End) return "das Ende des Textes";
        if (t.kind == TokenKind::QuotedName) return "'[" + t.text + "]'";
        return "'" + t.text + "'";
    }
    [[noreturn]] void syntax(const std::string& expected) const {
        fail(ErrorCode::DdlSyntax, peek().line,
             expected + " erwartet, gefunden " + shown(peek()) + ".");
    }
    void expectWord(const char* word) {
        if (!acceptWord(word)) syntax(std::string("'") + word + "'");
    }
    void expectPunct(const char* p) {
        if (!acceptPunct(p)) syntax(std::string("'") + p + "'");
    }

    std::u16string name(const char* what) {
        const Token& t = peek();
        if (t.kind != TokenKind::Word && t.kind != TokenKind::QuotedName) syntax(what);
        take();
        std::u16string n = fromUtf8(t.text);
        checkName(n, t.line, what);
        return n;
    }

    // Jet's rules for names of tables, columns and indexes.
    static void checkName(const std::u16string& n, size_t line, const char* what) {
        auto bad = [&](const std::string& why) {
            fail(ErrorCode::DdlSyntax, line,
                 std::string(what) + " '" + toUtf8(n) + "' ist ungültig: " + why + ".");
        };
        if (n.empty()) bad("er ist leer");
        if (n.size() > kMaxNameLength) bad("mehr als 64 Zeichen");
        if (n.front() == u' ') bad("er beginnt mit einem Leerzeichen");
        for (char16_t c : n) {
            if (c < 0x20) bad("er enthält ein Steuerzeichen");
            if (c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']')
                bad("er enthält eines der Zeichen . ! ` [ ]");
        }
    }

    int number(const char* what) {
        const Token& t = peek();
        if (t.kind != TokenKind::Number || t.text.size() > 6 ||
            !std::all_of(t.text.begin(), t.text.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            syntax(what);
        take();
        return std::stoi(t.text);
    }

    // --- statements ---
    void statement() {
        size_t line = peek().line;
        if (acceptWord("CREATE")) {
            if (acceptWord("TABLE")) return createTable();
            bool unique = acceptWord("UNIQUE");
            if (acceptWord("INDEX")) return createIndex(unique, line);
            syntax("'TABLE' oder 'INDEX'");
        }
        if (acceptWord("DROP")) {
            expectWord("TABLE");
            return dropTable();
        }
        fail(ErrorCode::DdlSyntax, line,
             "Anweisung " + shown(peek()) +
                 " wird nicht unterstützt (erwartet: CREATE TABLE, CREATE INDEX, DROP TABLE).");
    }

    NewTable* findTable(const std::u16string& n) {
        for (NewTable& t : tables_)
            if (sameName(t.name, n)) return &t;
        return nullptr;
    }

    void dropTable() {
        std::u16string n = name("Tabellenname");
        std::erase_if(tables_, [&](const NewTable& t) { return sameName(t.name, n); });
    }

    void createTable() {
        size_t line = peek().line;
        NewTable table;
        table.name = name("Tabellenname");
        if (findTable(table.name))
            fail(ErrorCode::TableExists, line,
                 "Die Tabelle '" + toUtf8(table.name) + "' ist bereits vorhanden.");
        expectPunct("(");
        do {
            if (isWord(peek(), "CONSTRAINT") || isWord(peek(), "PRIMARY") ||
                isWord(peek(), "UNIQUE"))
                tableConstraint(table);
            else
                column(table);
        } while (acceptPunct(","));
        expectPunct(")");
        if (table.columns.empty())
            fail(ErrorCode::DdlSyntax, line,
                 "Die Tabelle '" + toUtf8(table.name) + "' hat keine Spalten.");
        tables_.push_back(std::move(table));
    }

    void column(NewTable& table) {
        size_t line = peek().line;
        NewColumn col;
        col.name = name("Spaltenname");
        for (const NewColumn& c : table.columns)
            if (sameName(c.name, col.name))
                fail(ErrorCode::DuplicateFieldName, line,
                     "Die Spalte '" + toUtf8(col.name) + "' ist in der Tabelle '" +
                         toUtf8(table.name) + "' doppelt.");
        if (table.columns.size() == kMaxColumns)
            fail(ErrorCode::InvalidArgument, line, "Eine Tabelle hat höchstens 255 Spalten.");
        columnType(col);
        columnOptions(table, col);
        table.columns.push_back(std::move(col));
    }

    // The type name, which may be several words ("Long Integer", "Memo/Hyperlink").
    std::string typeName() {
        const Token& first = peek();
        if (first.kind != TokenKind::Word) syntax("Datentyp");
        take();
        std::string n = upper(first.text);
        if (acceptPunct("/")) {
            if (peek().kind != TokenKind::Word) syntax("Datentyp");
            return n + "/" + upper(take().text);
        }
        if (peek().kind == TokenKind::Word && lookUpType(n + " " + upper(peek().text)))
            n += " " + upper(take().text);
        return n;
    }

    void columnType(NewColumn& col) {
        size_t line = peek().line;
        std::string typeText = typeName();
        std::optional<TypeInfo> info = lookUpType(typeText);
        if (!info) fail(ErrorCode::DdlSyntax, line, "Unbekannter Datentyp '" + typeText + "'.");
        col.type = info->type;
        std::optional<int> size, scale;
        if (acceptPunct("(")) {
            size = number("Größe");
            if (acceptPunct(",")) scale = number("Anzahl der Dezimalstellen");
            expectPunct(")");
        }
        applySize(col, *info, size, scale, typeText, line);
    }

    void applySize(NewColumn& col, const TypeInfo& info, std::optional<int> size,
                   std::optional<int> scale, const std::string& typeText, size_t line) {
        auto bad = [&](const std::string& why) {
            fail(ErrorCode::DdlSyntax, line, "Datentyp '" + typeText + "': " + why + ".");
        };
        if (scale && col.type != ColumnType::Decimal) bad("nur Numeric hat Dezimalstellen");
        uint16_t fixed = fixedTypeLength(col.type);
        col.flags = column_flag::kUpdatable | info.extraFlags;
        if (fixed) col.flags |= column_flag::kFixed;
        switch (col.type) {
            case ColumnType::Text: {
                int chars = size.value_or(kMaxTextChars);
                if (chars < 1 || chars > kMaxTextChars) bad("die Länge muss 1 bis 255 sein");
                col.length = static_cast<uint16_t>(2 * chars);
                return;
            }
            case ColumnType::Binary: {
                int bytes = size.value_or(kMaxBinaryBytes);
                if (bytes < 1 || bytes > kMaxBinaryBytes) bad("die Länge muss 1 bis 510 sein");
                col.length = static_cast<uint16_t>(bytes);
                return;
            }
            case ColumnType::Memo:
            case ColumnType::OLE:
                col.length = 0;  // mdb-schema prints "(255)" here; it means nothing
                return;
            case ColumnType::Decimal: {
                int precision = size.value_or(18);
                int digits = scale.value_or(0);
                if (precision < 1 || precision > kMaxDecimalPrecision)
                    bad("die Genauigkeit muss 1 bis 28 sein");
                if (digits > precision) bad("mehr Dezimalstellen als Stellen");
                col.precision = static_cast<uint8_t>(precision);
                col.scale = static_cast<uint8_t>(digits);
                col.length = fixed;
                return;
            }
            default:
                if (size) bad("dieser Typ hat keine Größe");
                col.length = fixed;
        }
    }

    void columnOptions(NewTable& table, NewColumn& col) {
        bool required = false;
        for (;;) {
            size_t line = peek().line;
            if (acceptWord("NOT")) {
                expectWord("NULL");
                required = true;
            } else if (acceptWord("NULL")) {
                required = false;
            } else if (acceptWord("DEFAULT")) {
                std::u16string expr = defaultExpression();
                setProperty(col.properties,
                            makeProperty(u"DefaultValue", expr, property_type::kMemo, true));
            } else if (acceptWord("WITH")) {
                if (!acceptWord("COMPRESSION") && !acceptWord("COMP")) syntax("'COMPRESSION'");
                if (col.type != ColumnType::Text && col.type != ColumnType::Memo)
                    fail(ErrorCode::DdlSyntax, line,
                         "WITH COMPRESSION gilt nur für Text- und Memo-Spalten.");
                col.extFlags |= column_flag::kExtCompressedUnicode;
            } else if (isWord(peek(), "CONSTRAINT") || isWord(peek(), "PRIMARY") ||
                       isWord(peek(), "UNIQUE")) {
                columnConstraint(table, col);
            } else {
                break;
            }
        }
        // Jet keeps no NULL in a Boolean anyway; mdb-schema prints NOT NULL for every one.
        if (required && col.type != ColumnType::Boolean)
            setProperty(col.properties,
                        makeProperty(u"Required", true, property_type::kBoolean, true));
    }

    static void setProperty(std::vector<Property>& list, Property p) {
        for (Property& q : list)
            if (sameName(q.name, p.name)) {
                q = std::move(p);
                return;
            }
        list.push_back(std::move(p));
    }

    // A DEFAULT value as Access keeps it: expression text. mdb-schema prints text defaults in
    // single quotes and Yes/No as TRUE/FALSE; they go back to Access's spelling.
    std::u16string defaultExpression() {
        const Token& t = peek();
        if (t.kind == TokenKind::String) {
            take();
            std::string quoted = "\"";
            for (char c : t.text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            return fromUtf8(quoted + "\"");
        }
        if (acceptWord("TRUE")) return u"Yes";
        if (acceptWord("FALSE")) return u"No";
        size_t begin = t.begin;
        size_t end = t.begin;
        int depth = 0;
        for (;;) {
            const Token& u = peek();
            if (u.kind == TokenKind::End) break;
            if (u.kind == TokenKind::Punct) {
                if (u.text == ";") break;
                if (depth == 0 && (u.text == "," || u.text == ")")) break;
                if (u.text == "(") ++depth;
                if (u.text == ")") --depth;
            } else if (depth == 0 && end > begin &&
                       (isWord(u, "NOT") || isWord(u, "NULL") || isWord(u, "WITH") ||
                        isWord(u, "CONSTRAINT") || isWord(u, "PRIMARY") || isWord(u, "UNIQUE"))) {
                break;
            }
            end = take().end;
        }
        if (end == begin) syntax("Standardwert");
        if (depth != 0) syntax("')'");
        return fromUtf8(src_.substr(begin, end - begin));
    }

    // --- indexes ---
    void columnConstraint(NewTable& table, const NewColumn& col) {
        size_t line = peek().line;
        std::u16string indexName;
        if (acceptWord("CONSTRAINT")) indexName = name("Name der Einschränkung");
        NewIndex index;
        if (acceptWord("PRIMARY")) {
            expectWord("KEY");
            makePrimary(index);
            if (indexName.empty()) indexName = u"PrimaryKey";
        } else {
            expectWord("UNIQUE");
            index.unique = true;
            if (indexName.empty()) indexName = col.name;
        }
        index.name = indexName;
        index.columns.push_back({col.name, true});
        addIndex(table, std::move(index), line);
    }

    void tableConstraint(NewTable& table) {
        size_t line = peek().line;
        NewIndex index;
        if (acceptWord("CONSTRAINT")) index.name = name("Name der Einschränkung");
        if (acceptWord("PRIMARY")) {
            expectWord("KEY");
            makePrimary(index);
            if (index.name.empty()) index.name = u"PrimaryKey";
        } else if (acceptWord("UNIQUE")) {
            index.unique = true;
        } else {
            syntax("'PRIMARY KEY' oder 'UNIQUE'");
        }
        indexColumns(table, index, false);
        if (index.name.empty()) index.name = index.columns.front().column;
        addIndex(table, std::move(index), line);
    }

    static void makePrimary(NewIndex& index) {
        index.primaryKey = true;
        index.unique = true;
        index.required = true;
    }

    // "(column [ASC|DESC], ...)" of an index on `table`.
    void indexColumns(const NewTable& table, NewIndex& index, bool orderAllowed) {
        expectPunct("(");
        do {
            size_t line = peek().line;
            std::u16string n = name("Spaltenname");
            const NewColumn* col = nullptr;
            for (const NewColumn& c : table.columns)
                if (sameName(c.name, n)) col = &c;
            if (!col)
                fail(ErrorCode::ItemNotFound, line,
                     "Die Spalte '" + toUtf8(n) + "' gibt es in der Tabelle '" +
                         toUtf8(table.name) + "' nicht.");
            if (col->type == ColumnType::OLE)
                fail(ErrorCode::InvalidArgument, line,
                     "Die OLE-Spalte '" + toUtf8(n) + "' kann nicht indiziert werden.");
            bool ascending = true;
            if (orderAllowed && acceptWord("DESC"))
                ascending = false;
            else if (orderAllowed)
                acceptWord("ASC");
            for (const NewIndexColumn& c : index.columns)
                if (sameName(c.column, col->name))
                    fail(ErrorCode::DdlSyntax, line,
                         "Die Spalte '" + toUtf8(n) + "' steht zweimal im Index.");
            if (index.columns.size() == kMaxIndexColumns)
                fail(ErrorCode::InvalidArgument, line, "Ein Index hat höchstens 10 Spalten.");
            index.columns.push_back({col->name, ascending});
        } while (acceptPunct(","));
        expectPunct(")");
    }

    // Index columns name columns defined before them (a constraint inside CREATE TABLE sees
    // the columns before it).
    void addIndex(NewTable& table, NewIndex index, size_t line) {
        for (const NewIndex& i : table.indexes) {
            if (sameName(i.name, index.name))
                fail(ErrorCode::InvalidArgument, line,
                     "Der Index '" + toUtf8(index.name) + "' ist in der Tabelle '" +
                         toUtf8(table.name) + "' bereits vorhanden.");
            if (i.primaryKey && index.primaryKey)
                fail(ErrorCode::InvalidArgument, line,
                     "Die Tabelle '" + toUtf8(table.name) + "' hat bereits einen Primärschlüssel.");
        }
        if (table.indexes.size() == kMaxIndexes)
            fail(ErrorCode::InvalidArgument, line, "Eine Tabelle hat höchstens 32 Indizes.");
        table.indexes.push_back(std::move(index));
    }

    void createIndex(bool unique, size_t line) {
        NewIndex index;
        index.name = name("Indexname");
        index.unique = unique;
        expectWord("ON");
        size_t tableLine = peek().line;
        std::u16string tableName = name("Tabellenname");
        NewTable* table = findTable(tableName);
        if (!table)
            fail(ErrorCode::ObjectNotFound, tableLine,
                 "Die Tabelle '" + toUtf8(tableName) + "' ist nicht (vorher) definiert.");
        indexColumns(*table, index, true);
        if (acceptWord("WITH")) {
            if (acceptWord("PRIMARY"))
                makePrimary(index);
            else if (acceptWord("DISALLOW")) {
                expectWord("NULL");
                index.required = true;
            } else if (acceptWord("IGNORE")) {
                expectWord("NULL");
                index.ignoreNulls = true;
            } else
                syntax("'PRIMARY', 'DISALLOW NULL' oder 'IGNORE NULL'");
        }
        addIndex(*table, std::move(index), line);
    }

    std::string_view src_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::vector<NewTable> tables_;
};

}  // namespace

std::vector<NewTable> parseDdl(std::string_view utf8Text) {
    return Parser(utf8Text).run();
}

}  // namespace jet
