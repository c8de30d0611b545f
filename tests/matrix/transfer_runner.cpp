// One real transfer run for the driver matrix, driven from the command line, and an exact dump
// of Access tables afterwards so the matrix can compare values without lossy formatting.
//
//   transfer_runner --dsn D --user U --password P --mdb FILE --kind ms|ora|syb [--safe]
//                   [--table T] [--dump-file OUT] [--dump TABLE]...
//
// Every activity line goes to standard output as UTF-8. Exit status: 0 the run completed,
// 1 it ended with a RunFailure ("Fehler N: description"), 2 it was aborted, 3 bad arguments,
// 4 the dump failed.
//
// The dump is one JSON document per line: {"table":..,"columns":[..]}, then one array per row
// (fields in column order), then {"end":..,"rows":N}. A field is null or an object with one
// key naming its kind: b (Yes/No), i (Byte/Integer/Long), c (Currency units), f (Single),
// d (Double), t (Date/Time days), s (text), x (binary, hex), g (GUID), m (Decimal). Numbers
// that are not integers are written as the shortest text that reads back as the same value.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/preset_window.h"
#include "engine/transfer_run.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/dao/dao_database.h"

namespace {

std::string jsonString(std::u16string_view text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out + "\"";
}

template <typename Number>
std::string shortest(Number v) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

std::string hex(const jet::Bytes& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Sign, 128-bit magnitude and scale as a plain decimal text: the magnitude divided by ten in
// 32-bit limbs until nothing is left.
std::string decimalText(const jet::Decimal& v) {
    uint32_t limbs[4] = {static_cast<uint32_t>(v.high >> 32), static_cast<uint32_t>(v.high),
                         static_cast<uint32_t>(v.low >> 32), static_cast<uint32_t>(v.low)};
    std::string digits;  // least significant first
    bool more = true;
    while (more) {
        more = false;
        uint64_t remainder = 0;
        for (uint32_t& limb : limbs) {
            const uint64_t current = remainder << 32 | limb;
            limb = static_cast<uint32_t>(current / 10);
            remainder = current % 10;
            more = more || limb != 0;
        }
        digits.push_back(static_cast<char>('0' + remainder));
    }
    while (digits.size() <= v.scale) digits.push_back('0');
    std::string text(digits.rbegin(), digits.rend());
    if (v.scale > 0) text.insert(text.size() - v.scale, ".");
    return (v.negative ? "-" : "") + text;
}

struct FieldJson {
    std::string operator()(const jet::Null&) const { return "null"; }
    std::string operator()(bool v) const { return v ? "{\"b\":true}" : "{\"b\":false}"; }
    std::string operator()(uint8_t v) const { return "{\"i\":" + std::to_string(v) + "}"; }
    std::string operator()(int16_t v) const { return "{\"i\":" + std::to_string(v) + "}"; }
    std::string operator()(int32_t v) const { return "{\"i\":" + std::to_string(v) + "}"; }
    std::string operator()(int64_t v) const { return "{\"i\":" + std::to_string(v) + "}"; }
    std::string operator()(const jet::Currency& v) const {
        return "{\"c\":\"" + std::to_string(v.units) + "\"}";
    }
    std::string operator()(float v) const { return "{\"f\":\"" + shortest(v) + "\"}"; }
    std::string operator()(double v) const { return "{\"d\":\"" + shortest(v) + "\"}"; }
    std::string operator()(const jet::DateTime& v) const {
        return "{\"t\":\"" + shortest(v.days) + "\"}";
    }
    // Extended dates as their 100-ns ticks since 0001-01-01.
    std::string operator()(const jet::ExtendedDateTime& v) const {
        return "{\"e\":\"" + std::to_string(v.ticks) + "\"}";
    }
    std::string operator()(const std::u16string& v) const {
        return "{\"s\":" + jsonString(v) + "}";
    }
    std::string operator()(const jet::Bytes& v) const { return "{\"x\":\"" + hex(v) + "\"}"; }
    std::string operator()(const jet::Guid& v) const {
        return "{\"g\":\"" + hex(jet::Bytes(v.bytes.begin(), v.bytes.end())) + "\"}";
    }
    std::string operator()(const jet::Decimal& v) const {
        return "{\"m\":\"" + decimalText(v) + "\"}";
    }
};

void dumpTable(jet::Database& db, const std::string& name, std::ostream& out) {
    const jet::Table table = db.openTable(jet::fromUtf8(name));
    const auto& columns = table.definition().columns;
    out << "{\"table\":" << jsonString(jet::fromUtf8(name)) << ",\"columns\":[";
    for (size_t i = 0; i < columns.size(); ++i)
        out << (i ? "," : "") << jsonString(columns[i].name);
    out << "]}\n";
    size_t rows = 0;
    std::string line;
    table.forEachRow([&](jet::RowLocation, const std::vector<jet::Value>& values) {
        line = "[";
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i) line += ',';
            line += std::visit(FieldJson{}, values[columns[i].number]);
        }
        out << line << "]\n";
        ++rows;
    });
    out << "{\"end\":" << jsonString(jet::fromUtf8(name)) << ",\"rows\":" << rows << "}\n";
}

int usage() {
    std::cerr << "usage: transfer_runner --dsn D --user U --password P --mdb FILE --kind ms|ora|syb"
                 " [--safe] [--table T] [--dump-file OUT] [--dump TABLE]...\n";
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    engine::PresetSettings settings;
    std::string dumpFile;
    std::vector<std::string> dumps;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--safe") {
            settings.safeMode = true;
            continue;
        }
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (arg == "--dsn") {
            settings.dataSource = jet::fromUtf8(value);
        } else if (arg == "--mdb") {
            settings.accessPath = jet::fromUtf8(value);
        } else if (arg == "--table") {
            settings.singleTable = jet::fromUtf8(value);
        } else if (arg == "--user") {
            settings.user = jet::fromUtf8(value);
        } else if (arg == "--password") {
            settings.password = jet::fromUtf8(value);
        } else if (arg == "--kind") {
            if (value == "ms") {
                settings.server = engine::ServerOption::Opt_MS;
            } else if (value == "ora") {
                settings.server = engine::ServerOption::Opt_Ora;
            } else if (value == "syb") {
                settings.server = engine::ServerOption::OPT_SYB;
            } else {
                return usage();
            }
        } else if (arg == "--dump-file") {
            dumpFile = value;
        } else if (arg == "--dump") {
            dumps.push_back(value);
        } else {
            return usage();
        }
    }

    // Every list line printed as the run adds it.
    engine::PresetWindow window(settings, [](std::u16string_view line) {
        std::cout << jet::toUtf8(std::u16string(line)) << "\n" << std::flush;
    });
    int status = 0;
    try {
        jet::dao::DBEngine dbEngine;
        const engine::RunOutcome outcome = engine::RunTransfer(window, dbEngine);
        status = outcome == engine::RunOutcome::Completed ? 0 : 2;
    } catch (const engine::RunFailure& failure) {
        std::cout << "Fehler " << failure.number << ": " << jet::toUtf8(failure.description)
                  << "\n";
        status = 1;
    }
    std::cout.flush();

    if (!dumps.empty()) {
        try {
            std::ofstream out(dumpFile, std::ios::binary);
            jet::Database db(jet::toUtf8(settings.accessPath), jet::OpenMode::ReadOnly);
            for (const std::string& name : dumps) {
                // A table the run did not leave behind (a staging copy) is left out of the dump,
                // so the comparison names it and the other tables are still dumped.
                if (db.findTable(jet::fromUtf8(name)) == nullptr) continue;
                dumpTable(db, name, out);
            }
            out.flush();
            if (!out) throw jet::Error(jet::ErrorCode::InvalidArgument, "dump file not written");
        } catch (const jet::Error& e) {
            std::cerr << "dump failed: " << e.number() << ": " << e.description() << "\n";
            return 4;
        }
    }
    return status;
}
