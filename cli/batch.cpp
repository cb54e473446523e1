#include "batch.h"

#include <optional>
#include <vector>

#include "vocabulary.h"

namespace kestrane::cli {
namespace {

constexpr std::size_t output_chunk = std::size_t{1} << 16;
constexpr std::array<UnitKind, 3> unit_kinds = {UnitKind::temperature, UnitKind::pressure, UnitKind::distance};

// Where each named column sits in the header.
struct Columns {
    std::array<std::size_t, field_count> fields{};
    std::array<std::optional<std::size_t>, 3> units;
    std::size_t width = 0;
};

std::string line_prefix(std::size_t line) {
    return "line " + std::to_string(line) + ": ";
}

// Finds the columns in a header; an error text when one is missing or doubled.
std::string map_header(const std::vector<std::string_view>& header, std::size_t line, Columns& columns) {
    std::array<std::optional<std::size_t>, field_count> found;
    auto place = [&](std::optional<std::size_t>& slot, std::string_view name, std::size_t i) -> std::string {
        if (slot) {
            return line_prefix(line) + "column " + std::string(name) + " appears twice (columns " +
                   std::to_string(*slot + 1) + " and " + std::to_string(i + 1) + ")";
        }
        slot = i;
        return {};
    };
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string error;
        if (const auto field = field_from_column_name(header[i])) {
            error = place(found[static_cast<std::size_t>(*field)], header[i], i);
        } else {
            for (std::size_t k = 0; k < unit_column_names.size(); ++k) {
                if (header[i] == unit_column_names[k])
                    error = place(columns.units[k], header[i], i);
            }
        }
        if (!error.empty())
            return error;
    }
    std::string missing;
    std::size_t missing_count = 0;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (found[f]) {
            columns.fields[f] = *found[f];
            continue;
        }
        missing += missing_count++ == 0 ? "" : ", ";
        missing += field_column_names[f];
    }
    if (missing_count == 0) {
        columns.width = header.size();
        return {};
    }
    std::string all;
    for (std::size_t f = 0; f < field_count; ++f)
        all.append(f == 0 ? "" : ", ").append(field_column_names[f]);
    return line_prefix(line) + (missing_count == 1 ? "missing column " : "missing columns ") + missing +
           " (a log needs the columns " + all + ")";
}

void append_result_headings(std::string& out) {
    out += "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n";
}

// The row's fields, padded with empty ones or cut to the header's width.
void append_fields(std::string& out, const std::vector<std::string_view>& fields, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        if (i < fields.size())
            append_csv_field(out, fields[i]);
        out += ',';
    }
}

// Why a row that read whole is still no reading, or empty; sets units from its unit cells.
std::string row_units(const std::vector<std::string_view>& fields,
                      const Columns& columns,
                      std::size_t line,
                      UnitSelection& units) {
    std::array<int*, 3> slots = {&units.temperature, &units.pressure, &units.distance};
    for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
        if (!columns.units[k])
            continue;
        const std::string_view cell = fields[*columns.units[k]];
        if (cell.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        const auto index = unit_index(unit_kinds[k], cell);
        if (!index) {
            return line_prefix(line) + "unknown " + std::string(unit_kind_name(unit_kinds[k])) + " unit \"" +
                   std::string(cell) + "\"";
        }
        *slots[k] = *index;
    }
    return {};
}

}  // namespace

std::array<std::string_view, 4> shown_results(const RunOutcome& outcome) {
    if (outcome.refused())
        return {};
    const ResultTexts& t = outcome.texts();
    return {t.calculated_gas_pct, t.calculated_gas_pressure, t.vapor_pressure_pct, t.corrected_barometer};
}

LogReport correct_log(std::istream& in, std::ostream& out, const LogOptions& options) {
    LogReport report;
    CsvReader reader(in, options.max_line);
    std::vector<std::string_view> fields;

    if (!reader.next(fields)) {
        if (reader.read_failed()) {
            report.failure = LogFailure::read_failed;
            report.message = "the input could not be read";
        } else {
            report.failure = LogFailure::bad_header;
            report.message = "the input is empty: a log starts with a header row naming its columns";
        }
        return report;
    }
    if (reader.fault() != LineFault::none) {
        report.failure = LogFailure::bad_header;
        report.message = line_prefix(reader.line_number()) + describe(reader.fault(), reader.max_line());
        return report;
    }
    Columns columns;
    report.message = map_header(fields, reader.line_number(), columns);
    if (!report.message.empty()) {
        report.failure = LogFailure::bad_header;
        return report;
    }

    std::string pending;
    pending.reserve(output_chunk * 2);
    // The mark tells spreadsheet programs the text is UTF-8; keep it if the log had it.
    if (reader.had_byte_order_mark())
        pending += "\xEF\xBB\xBF";
    append_fields(pending, fields, columns.width);
    append_result_headings(pending);

    FieldTexts texts;
    std::string error;
    while (reader.next(fields)) {
        ++report.rows;
        error.clear();
        UnitSelection units = options.units;
        if (reader.fault() != LineFault::none) {
            error = line_prefix(reader.line_number()) + describe(reader.fault(), reader.max_line());
        } else if (fields.size() != columns.width) {
            error = line_prefix(reader.line_number()) + "expected " + std::to_string(columns.width) +
                    " fields, found " + std::to_string(fields.size());
        } else {
            error = row_units(fields, columns, reader.line_number(), units);
        }
        append_fields(pending, fields, columns.width);
        if (!error.empty()) {
            ++report.malformed;
            pending += ",,,,";
            append_csv_field(pending, error);
        } else {
            for (std::size_t f = 0; f < field_count; ++f)
                texts[f] = fields[columns.fields[f]];
            const RunOutcome outcome = run_correction(texts, units);
            if (outcome.refused()) {
                ++report.refused;
                pending += ",,,,";
                append_csv_field(pending, outcome.message());
            } else {
                ++report.corrected;
                for (const std::string_view text : shown_results(outcome)) {
                    append_csv_field(pending, text);
                    pending += ',';
                }
            }
        }
        pending += '\n';
        if (pending.size() >= output_chunk) {
            out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
            pending.clear();
            if (!out)
                break;
        }
    }
    out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
    out.flush();
    if (!out) {
        report.failure = LogFailure::write_failed;
        report.message = "the output could not be written";
    } else if (reader.read_failed()) {
        report.failure = LogFailure::read_failed;
        report.message = "the input could not be read to its end";
    }
    return report;
}

}  // namespace kestrane::cli
