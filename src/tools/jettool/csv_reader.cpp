#include "tools/jettool/csv_reader.h"

#include <stdexcept>

namespace jettool {

std::optional<std::vector<CsvField>> CsvReader::next() {
    std::string line;
    if (!std::getline(in_, line)) return std::nullopt;
    recordLine_ = ++line_;
    std::vector<CsvField> fields(1);
    bool inQuotes = false;
    size_t i = 0;
    for (;;) {
        if (i >= line.size()) {
            if (!inQuotes) break;
            // The quoted field goes on on the next line.
            if (!std::getline(in_, line))
                throw std::runtime_error("Anführungszeichen ab Zeile " +
                                         std::to_string(recordLine_) + " wird nicht geschlossen");
            ++line_;
            fields.back().text += '\n';
            i = 0;
            continue;
        }
        char c = line[i++];
        if (inQuotes) {
            if (c == '"' && i < line.size() && line[i] == '"') {
                fields.back().text += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                fields.back().text += c;
            }
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '"' && fields.back().text.empty() && !fields.back().quoted) {
            inQuotes = true;
            fields.back().quoted = true;
        } else if (c != '\r' || i < line.size()) {
            fields.back().text += c;
        }
    }
    return fields;
}

}  // namespace jettool
