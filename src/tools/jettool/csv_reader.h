// Reading CSV records: fields separated by commas, optionally in double quotes with inner
// quotes doubled; a quoted field may span lines. An empty unquoted field is NULL, "" is empty
// text.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace jettool {

struct CsvField {
    std::string text;  // UTF-8
    bool quoted = false;
    bool isNull() const { return !quoted && text.empty(); }
};

class CsvReader {
  public:
    explicit CsvReader(std::istream& in) : in_(in) {}

    // The next record, or nullopt at the end. Throws std::runtime_error (German) on a quote
    // that never closes.
    std::optional<std::vector<CsvField>> next();
    // The line on which the record last returned by next() began (1-based).
    size_t recordLine() const { return recordLine_; }

  private:
    std::istream& in_;
    size_t line_ = 0;
    size_t recordLine_ = 0;
};

}  // namespace jettool
