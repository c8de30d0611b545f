#include "odbc/error.h"

#include <utility>

namespace odbc {
namespace {

// Drivers often put an informational record (01xxx) before the error that matters.
const DiagnosticRecord* decidingRecord(const std::vector<DiagnosticRecord>& records) {
    for (const DiagnosticRecord& record : records) {
        if (record.sqlState.rfind("01", 0) != 0) return &record;
    }
    return records.empty() ? nullptr : &records.front();
}

std::string joinMessages(const std::vector<DiagnosticRecord>& records) {
    std::string joined;
    for (const DiagnosticRecord& record : records) {
        if (!joined.empty()) joined += " | ";
        joined += record.message;
    }
    return joined;
}

std::string composeWhat(const std::string& lead, const std::string& description,
                        const std::string& sqlState, int32_t number) {
    std::string what = lead;
    if (!description.empty() && description != lead) what += ": " + description;
    if (!sqlState.empty()) {
        what += " (SQLSTATE " + sqlState;
        if (number != 0) what += ", Fehlernummer " + std::to_string(number);
        what += ")";
    }
    return what;
}

std::string composeWhat(const std::string& lead, const std::vector<DiagnosticRecord>& records) {
    const DiagnosticRecord* record = decidingRecord(records);
    if (record == nullptr) return lead;
    return composeWhat(lead, joinMessages(records), record->sqlState, record->nativeError);
}

}  // namespace

Error::Error(std::string lead, std::string sqlState)
    : std::runtime_error(composeWhat(lead, lead, sqlState, 0)),
      lead_(lead),
      sqlState_(std::move(sqlState)),
      description_(std::move(lead)) {}

Error::Error(std::string lead, std::vector<DiagnosticRecord> records)
    : std::runtime_error(composeWhat(lead, records)),
      lead_(std::move(lead)),
      records_(std::move(records)) {
    if (const DiagnosticRecord* record = decidingRecord(records_)) {
        if (record->nativeError != 0) number_ = record->nativeError;
        sqlState_ = record->sqlState;
    }
    description_ = records_.empty() ? lead_ : joinMessages(records_);
}

}  // namespace odbc
