#include "jet/dao/dao_recordset.h"

#include <algorithm>
#include <random>
#include <utility>

#include "jet/base/text.h"
#include "jet/dao/field_value_conversion.h"

namespace jet::dao {

namespace {

size_t slotCount(const TableDefinition& t) {
    size_t highest = 0;
    for (const auto& c : t.columns) highest = std::max<size_t>(highest, c.number);
    return highest + 1;
}

std::u16string trimmed(std::u16string_view text) {
    size_t begin = text.find_first_not_of(u" \t");
    if (begin == std::u16string_view::npos) return {};
    size_t end = text.find_last_not_of(u" \t");
    return std::u16string(text.substr(begin, end - begin + 1));
}

// The value of a literal default expression; NULL for anything else.
Value literalDefault(std::u16string_view expression) {
    std::u16string text = trimmed(expression);
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
        text.back() == text.front()) {
        std::u16string inner;
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            inner += text[i];
            if (text[i] == text.front() && text[i + 1] == text.front()) ++i;  // doubled quote
        }
        return inner;
    }
    std::u16string upper = upperCase(text);
    if (upper == u"TRUE" || upper == u"YES" || upper == u"ON") return true;
    if (upper == u"FALSE" || upper == u"NO" || upper == u"OFF") return false;
    bool number = !text.empty();
    size_t digits = 0;
    for (size_t i = 0; i < text.size() && number; ++i) {
        char16_t c = text[i];
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (!(c == u'.' || ((c == u'-' || c == u'+') && i == 0)))
            number = false;
    }
    if (number && digits > 0) return std::stod(toUtf8(text));
    return Null{};
}

Guid randomGuid() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    Guid g;
    for (size_t i = 0; i < 16; i += 8) {
        uint64_t bits = random();
        for (size_t k = 0; k < 8; ++k) g.bytes[i + k] = static_cast<uint8_t>(bits >> (8 * k));
    }
    g.bytes[6] = static_cast<uint8_t>((g.bytes[6] & 0x0F) | 0x40);  // version 4
    g.bytes[8] = static_cast<uint8_t>((g.bytes[8] & 0x3F) | 0x80);
    return g;
}

FieldRules rulesFor(const Field& field) {
    FieldRules rules;
    rules.fieldName = field.Name();
    rules.allowZeroLength = field.AllowZeroLength();
    return rules;
}

}  // namespace

RecordsetField::RecordsetField(Recordset& owner, const Field& field)
    : owner_(&owner), field_(&field), rules_(rulesFor(field)) {}

void RecordsetField::SetValue(const Value& value) {
    owner_->requireEditing();
    const uint16_t number = field_->column().number;
    assignForField(field_->column(), value, rules_, owner_->values_[number],
                   owner_->spare_[number]);
}

void RecordsetField::SetText(std::u16string_view text) {
    owner_->requireEditing();
    const uint16_t number = field_->column().number;
    assignTextForField(field_->column(), text, rules_, owner_->values_[number],
                       owner_->spare_[number], owner_->textScratch_);
}

template <typename T>
void RecordsetField::SetScalar(const T& value) {
    owner_->requireEditing();
    const uint16_t number = field_->column().number;
    assignScalarForField(field_->column(), value, rules_, owner_->values_[number],
                         owner_->spare_[number]);
}

template void RecordsetField::SetScalar(const bool&);
template void RecordsetField::SetScalar(const uint8_t&);
template void RecordsetField::SetScalar(const int16_t&);
template void RecordsetField::SetScalar(const int32_t&);
template void RecordsetField::SetScalar(const float&);
template void RecordsetField::SetScalar(const double&);
template void RecordsetField::SetScalar(const DateTime&);

void RecordsetField::SetNumberText(std::string_view ascii) {
    owner_->requireEditing();
    const uint16_t number = field_->column().number;
    assignNumberTextForField(field_->column(), ascii, rules_, owner_->values_[number],
                             owner_->spare_[number], owner_->textScratch_);
}

void RecordsetField::SetNull() {
    const Value null;  // the assignment that keeps a text buffer the field gives up
    SetValue(null);
}

void RecordsetField::SetValue(Value&& value) {
    owner_->requireEditing();
    owner_->values_[field_->column().number] =
        convertForField(field_->column(), std::move(value), rules_);
}

const Value& RecordsetField::GetValue() const {
    return owner_->values_[field_->column().number];
}

Recordset::Recordset(const TableDef& table, TableInserter& inserter,
                     std::shared_ptr<const void> inUse)
    : table_(table), inserter_(inserter), inUse_(std::move(inUse)) {
    for (const auto& field : table_.GetFields()) fields_.push_back(RecordsetField(*this, field));
    prepareNewRow();
    values_ = newRow_;
    spare_.resize(newRow_.size());
}

void Recordset::prepareNewRow() {
    newRow_.assign(slotCount(table_.definition()), Null{});
    for (const auto& field : table_.GetFields()) {
        if (field.Required() && !field.column().isAutoNumber()) required_.push_back(&field);
        if (field.column().isAutoNumber()) continue;
        Value stored = field.DefaultValue();
        auto expression = std::get_if<std::u16string>(&stored);
        if (!expression || expression->empty()) continue;
        Value literal = literalDefault(*expression);
        if (isNull(literal)) continue;
        try {
            newRow_[field.column().number] =
                convertForField(field.column(), literal, rulesFor(field));
        } catch (const Error&) {
            // A default that does not fit its own field is left out, as Access leaves it to
            // the row to supply the value.
        }
    }
}

void Recordset::requireEditing() const {
    if (closed_ || !editing_)
        throw Error(ErrorCode::NoCurrentRecord,
                    "Aktualisieren oder Abbrechen ohne AddNew oder Edit.");
}

void Recordset::AddNew() {
    if (closed_)
        throw Error(ErrorCode::ObjectClosed, "Das Objekt ist ungültig oder nicht mehr festgelegt.");
    for (size_t i = 0; i < values_.size(); ++i) {
        Value& value = values_[i];
        if (auto* held = std::get_if<std::u16string>(&value)) spare_[i] = std::move(*held);
        if (isNull(newRow_[i]))
            value.emplace<Null>();
        else
            value = newRow_[i];
    }
    editing_ = true;
}

RecordsetField& Recordset::Fields(std::u16string_view name) {
    for (auto& f : fields_)
        if (equalIgnoringCase(f.Name(), name)) return f;
    throwItemNotFound("");
}

void Recordset::assignAutoNumbers() {
    TableDefinition& t = inserter_.table();
    for (const auto& c : t.columns) {
        if (c.flags & column_flag::kAutoLong)
            values_[c.number] = static_cast<int32_t>(++t.autoNumber);
        else if (c.flags & column_flag::kAutoGuid)
            values_[c.number] = randomGuid();
    }
}

void Recordset::Update(int32_t, bool) {
    requireEditing();
    for (const Field* field : required_) {
        if (isNull(values_[field->column().number]))
            throw Error(ErrorCode::RequiredFieldNull,
                        "Das Feld '" + toUtf8(field->Name()) +
                            "' darf keinen Nullwert enthalten, weil die Eigenschaft Required "
                            "für dieses Feld auf True gesetzt ist. Geben Sie einen Wert in "
                            "dieses Feld ein.");
    }
    uint32_t counter = inserter_.table().autoNumber;
    assignAutoNumbers();
    try {
        inserter_.insert(values_);
    } catch (...) {
        inserter_.table().autoNumber = counter;  // a refused row uses up no number
        throw;
    }
    editing_ = false;
}

void Recordset::Close() {
    editing_ = false;
    closed_ = true;
    inUse_.reset();
}

}  // namespace jet::dao
