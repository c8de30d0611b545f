// Errors of the Access database engine: a number and a German description, as DAO reports them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace jet {

// Numbers follow the DAO error numbers where DAO has a matching one, so callers that know
// those numbers can rely on them.
enum class ErrorCode : int32_t {
    ObjectNotFound = 3011,        // no table (or other object) of that name
    FileNotFound = 3024,          // the file does not exist
    FileInUse = 3045,             // another opener holds the file
    DatabaseCorrupt = 3049,       // the file breaks the format; the description names the page
    FileAccessDenied = 3051,      // the operating system refused to open the file
    IoFailure = 3026,             // reading or writing the file failed
    ItemNotFound = 3265,          // no field (or other item) of that name in a collection
    UnsupportedFormat = 3343,     // not a Jet 4 database we can open
    EncryptedDatabase = 3031,     // the file carries a database encoding key
    ConversionFailed = 3421,      // a value that cannot be converted to the field's type
    FieldTooSmall = 3163,         // text or binary longer than the field
    NumericOverflow = 3349,       // a number outside the field type's range
    ZeroLengthNotAllowed = 3315,  // "" where AllowZeroLength is false
    FieldNotUpdatable = 3164,     // AutoNumber and other fields that cannot be written
    RequiredFieldNull = 3314,     // Update with a required field left NULL
    DuplicateKey = 3022,          // Update that would duplicate a unique index's key
    NotSupported = 3251,          // an operation or statement this engine does not offer
    IndexNull = 3058,             // a NULL in a primary key or required index
    NoCurrentRecord = 3020,       // Update without AddNew
    ObjectClosed = 3420,          // a closed recordset or database used again
    DatabaseFull = 3633,          // the file would pass Jet's 2 GB limit
    RecordTooLarge = 3047,        // a row longer than a data page can hold
    TableExists = 3010,           // a table of that name is there already
    DuplicateFieldName = 3191,    // a field name given twice in one table
    InvalidArgument = 3001,       // an argument the operation cannot take
    PropertyNotAllowed = 3219,    // a property value the object cannot take
    DdlSyntax = 3290,             // a DDL statement that cannot be read
    DatabaseExists = 3204,        // a new database where a file is already
    InRelationship = 3303,        // a table still taking part in a relationship
    TableInUse = 3211,            // a structure change on a table an open recordset uses
};

class Error : public std::runtime_error {
  public:
    Error(ErrorCode code, std::string description)
        : std::runtime_error(description),
          number_(static_cast<int32_t>(code)),
          description_(std::move(description)) {}

    int32_t number() const { return number_; }
    // UTF-8 text in German, ready to be shown to the operator.
    const std::string& description() const { return description_; }

  private:
    int32_t number_;
    std::string description_;
};

// The file breaks the format at `page`; `what` says how, in German.
[[noreturn]] void throwCorrupt(uint32_t page, const std::string& what);

// No table (or other object) named `name` (UTF-8): ObjectNotFound.
[[noreturn]] void throwObjectNotFound(const std::string& name);

// No item `item` in a collection (an index or a quoted name; empty: unnamed): ItemNotFound.
[[noreturn]] void throwItemNotFound(const std::string& item);

}  // namespace jet
