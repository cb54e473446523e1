// The record a laboratory files with a reading (ISO/IEC 17025:2017, 7.8.2.1
// and 7.8.4, where they apply): who calibrated what, against which reference,
// when, by which method, on what page. Its fields are the user's own texts.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

enum class RecordField {
    lab_name,
    lab_address,
    record_number,
    customer,
    item_make,
    item_model,
    item_serial,
    reference_gas_cylinder,
    reference_gas_certificate,
    barometer,
    calibration_date,
    issue_date,
    operator_name,
    authorized_by,
};
inline constexpr std::size_t record_field_count = 14;

struct RecordFieldInfo {
    RecordField field;
    std::string_view name;   // in a record file, and after "record-" in an option's name
    std::string_view key;    // in JSON
    std::string_view label;  // before its text in a record's lines
};

inline constexpr std::array<RecordFieldInfo, record_field_count> record_field_table = {{
    {RecordField::lab_name, "lab-name", "lab_name", "Laboratory"},
    {RecordField::lab_address, "lab-address", "lab_address", "Laboratory address"},
    {RecordField::record_number, "record-number", "record_number", "Record number"},
    {RecordField::customer, "customer", "customer", "Customer"},
    {RecordField::item_make, "item-make", "item_make", "Analyzer make"},
    {RecordField::item_model, "item-model", "item_model", "Analyzer model"},
    {RecordField::item_serial, "item-serial", "item_serial", "Analyzer serial number"},
    {RecordField::reference_gas_cylinder, "reference-gas-cylinder", "reference_gas_cylinder", "Reference gas cylinder"},
    {RecordField::reference_gas_certificate, "reference-gas-certificate", "reference_gas_certificate",
     "Reference gas certificate"},
    {RecordField::barometer, "barometer", "barometer", "Barometer"},
    {RecordField::calibration_date, "calibration-date", "calibration_date", "Date of calibration"},
    {RecordField::issue_date, "issue-date", "issue_date", "Date of issue"},
    {RecordField::operator_name, "operator", "operator", "Calibrated by"},
    {RecordField::authorized_by, "authorized-by", "authorized_by", "Authorized by"},
}};

inline const RecordFieldInfo& info(RecordField field) {
    return record_field_table[static_cast<std::size_t>(field)];
}

// What goes before a record field's name to make its option: "--record-lab-name".
inline constexpr std::string_view record_option_prefix = "record-";

// The record's fixed words.
inline constexpr std::string_view record_title = "Calibration record: oxygen analyzer gas correction";
inline constexpr std::string_view record_method_label = "Method";
inline constexpr std::string_view record_page = "page 1 of 1";

// The longest text of a field, in characters (code points).
inline constexpr std::size_t record_text_limit = 200;

// The record field a name stands for, exactly as the table writes it.
std::optional<RecordField> record_field_named(std::string_view name);

// The method the record states, with the program's version:
// "Kestrane 1.4.0 correction of the target gas for barometric pressure, altitude, temperature and humidity".
std::string record_method();

// The fields' texts (none: not given).
struct Record {
    std::array<std::optional<std::string>, record_field_count> texts{};

    std::optional<std::string>& operator[](RecordField field) { return texts[static_cast<std::size_t>(field)]; }
    const std::optional<std::string>& operator[](RecordField field) const {
        return texts[static_cast<std::size_t>(field)];
    }
    bool any() const;
};

// Why a field's text cannot be in a record: longer than record_text_limit
// characters, or more than one line; nothing when it can.
std::optional<std::string> record_text_problem(std::string_view text);

// Reads a record file's text into record: UTF-8 lines of "field = text" (the
// field as record_field_table names it, blanks around both ignored), blank
// lines and lines starting with "#" ignored; a byte order mark and CRLF line
// ends are taken as they come. The problem of the first line refused, or
// nothing: "line 3: unknown field \"lab\"; the fields are lab-name, ...",
// "line 5: lab-name again (first on line 2)", "line 4: no \"=\" ...".
std::optional<std::string> read_record_text(std::string_view text, Record& record);

// The record's lines as a reading's text begins with them: the title, each
// field given as "Laboratory: text", and the method, each ending in a line break.
std::string record_lines(const Record& record);

}  // namespace kestrane
