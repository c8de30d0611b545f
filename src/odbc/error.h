// The one exception type of the ODBC layer: what failed, in German, and what the driver said.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace odbc {

// One diagnostic record of an ODBC handle (SQLGetDiagRec).
struct DiagnosticRecord {
    std::string sqlState;  // five characters, "08001"
    int32_t nativeError = 0;
    std::string message;  // UTF-8, as the driver wrote it
};

// The number of a failure that carries no number of the driver's own (many drivers report 0,
// and our own checks have none): an operator must never read "Fehler 0" as "no error".
constexpr int32_t kOdbcFailureNumber = 40002;

class Error : public std::runtime_error {
  public:
    // A failure we detect ourselves. `sqlState` is the ODBC state that fits it best
    // ("07009" for a column index out of range), so callers can treat both kinds alike.
    Error(std::string lead, std::string sqlState);

    // A failed ODBC call: `lead` says in German what we were doing, `records` are the
    // handle's diagnostics (possibly none).
    Error(std::string lead, std::vector<DiagnosticRecord> records);

    // The native error number of the deciding record; kOdbcFailureNumber when it has none
    // (0) and for our own failures.
    int32_t number() const { return number_; }
    // The SQLSTATE of the deciding record: the first that is not a mere warning (class 01).
    const std::string& sqlState() const { return sqlState_; }
    // Every record's message, joined with " | "; for our own failures the lead.
    const std::string& description() const { return description_; }
    // Our German text.
    const std::string& lead() const { return lead_; }
    const std::vector<DiagnosticRecord>& records() const { return records_; }

  private:
    std::string lead_;
    std::vector<DiagnosticRecord> records_;
    int32_t number_ = kOdbcFailureNumber;
    std::string sqlState_;
    std::string description_;
};

}  // namespace odbc
