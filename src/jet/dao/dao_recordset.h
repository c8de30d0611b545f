// The DAO face of a table-type recordset that takes new rows: AddNew, Fields(name) with a
// value assignment, Update, Close.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/base/value.h"
#include "jet/dao/dao_table_def.h"
#include "jet/dao/field_value_conversion.h"
#include "jet/index/table_inserter.h"

namespace jet::dao {

inline constexpr int32_t dbOpenTable = 1;
inline constexpr int32_t dbUpdateRegular = 1;

class Recordset;

// One field of the recordset's new row.
class RecordsetField {
  public:
    const std::u16string& Name() const { return field_->Name(); }
    const ColumnDef& column() const { return field_->column(); }
    // Converts `value` to the field's type by DAO's rules and keeps it for the next Update.
    // Throws Error at once when the value does not fit (conversion, length, range, empty
    // text not allowed, a field that cannot be written). REQUIRES: AddNew was called.
    void SetValue(const Value& value);
    void SetValue(Value&& value);  // the same, taking the value over where it can
    // SetValue of the text, read where it lies instead of copied into a Value first.
    void SetText(std::u16string_view text);
    // SetValue of a scalar (see assignScalarForField), the same result without a Value built
    // for it; and SetValue of NULL.
    template <typename T>
    void SetScalar(const T& value);
    void SetNull();
    // SetValue of the text of an exact number in ASCII (see assignNumberTextForField).
    void SetNumberText(std::string_view ascii);
    const Value& GetValue() const;

  private:
    friend class Recordset;
    RecordsetField(Recordset& owner, const Field& field);

    Recordset* owner_;
    const Field* field_;
    // The field's conversion rules, read once: the recordset's table copy does not change.
    FieldRules rules_;
};

class Recordset {
  public:
    // `table` and `inserter` outlive the recordset (the database keeps them). `inUse` is held
    // until Close or the end of the recordset: the database refuses to delete the table while
    // anyone holds it.
    Recordset(const TableDef& table, TableInserter& inserter,
              std::shared_ptr<const void> inUse = nullptr);

    // Begins a new row: every field NULL, then each literal DefaultValue (numbers, quoted
    // text, True/False/Yes/No/On/Off); defaults that are expressions (Now(), Date(), ...)
    // leave the field empty.
    void AddNew();
    // The field of that name, ignoring case. Throws ItemNotFound.
    RecordsetField& Fields(std::u16string_view name);
    // Stores the new row: AutoNumber fields numbered, Required fields checked (RequiredFieldNull),
    // unique indexes checked (DuplicateKey); a refused row is not stored and stays pending.
    // REQUIRES: AddNew was called.
    void Update(int32_t type = dbUpdateRegular, bool force = false);
    // Ends the recordset; a pending new row is dropped, as in DAO.
    void Close();

  private:
    friend class RecordsetField;
    void requireEditing() const;
    void assignAutoNumbers();

    void prepareNewRow();

    TableDef table_;  // a copy: structure changes replace the database's table list
    TableInserter& inserter_;
    std::vector<RecordsetField> fields_;
    std::vector<Value> values_;  // by column number
    // Text buffers the fields' values gave up, by column number, for the next row's text:
    // a row loop then allocates nothing.
    std::vector<std::u16string> spare_;
    // The text SetText or SetNumberText hands to a conversion, its buffer kept for the next row.
    Value textScratch_;
    // What AddNew starts a row with, and the fields Update requires: worked out once from the
    // table copy, so a row costs no property lookups.
    std::vector<Value> newRow_;
    std::vector<const Field*> required_;
    std::shared_ptr<const void> inUse_;
    bool editing_ = false;
    bool closed_ = false;
};

}  // namespace jet::dao
