#include "batch.h"

#include <optional>
#include <string_view>
#include <vector>

#include "csv.h"
#include "vocabulary.h"

namespace kestrane::cli {
namespace {

using ColumnOfField = std::array<std::optional<std::size_t>, field_count>;

// Finds which column gives each field; an error text when two columns give the same one.
std::string map_columns(const std::vector<std::string>& headings, ColumnOfField& columns) {
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const std::optional<Field> field = field_from_heading(headings[i]);
        if (!field)
            continue;
        auto& column = columns[static_cast<std::size_t>(*field)];
        if (column) {
            return "columns " + std::to_string(*column + 1) + " (\"" + headings[*column] + "\") and " +
                   std::to_string(i + 1) + " (\"" + headings[i] + "\") both give the " +
                   std::string(field_column_name(*field));
        }
        column = i;
    }
    for (const auto& column : columns) {
        if (column)
            return {};
    }
    std::string names;
    for (std::size_t f = 0; f < field_count; ++f) {
        names += f == 0 ? "" : ", ";
        names += field_column_name(static_cast<Field>(f));
    }
    return "no column heading names an input field (" + names + "); is the delimiter right?";
}

}  // namespace

std::array<std::string_view, 4> shown_results(const RunOutcome& outcome) {
    if (outcome.refused())
        return {};
    const ResultTexts& t = outcome.texts();
    return {t.calculated_gas_pct, t.calculated_gas_pressure, t.vapor_pressure_pct, t.corrected_barometer};
}

void append_result_headings(std::string& line, char delimiter) {
    for (const std::string_view heading :
         {"calculated_gas_pct", "calculated_gas_pressure", "vapor_pressure_pct", "corrected_barometer"}) {
        line.append(heading) += delimiter;
    }
    line += "error";
}

void append_result_cells(std::string& line, const RunOutcome& outcome, char delimiter) {
    for (const std::string_view text : shown_results(outcome)) {
        append_csv_cell(line, text, delimiter);
        line += delimiter;
    }
    if (outcome.refused())
        append_csv_cell(line, outcome.message(), delimiter);
}

void write_when_full(std::string& line, std::ostream& out) {
    if (line.size() < (std::size_t{1} << 16))
        return;
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    line.clear();
}

BatchReport correct_csv_log(std::istream& in, std::ostream& out, const BatchOptions& options) {
    BatchReport report;
    const char delimiter = options.delimiter;
    CsvReader reader(in, delimiter);
    std::vector<std::string> cells;
    std::string pending;

    if (!reader.next(cells)) {
        report.error = reader.error().empty() ? "the log is empty: it needs a row of column headings" : reader.error();
        return report;
    }
    ColumnOfField columns;
    report.error = map_columns(cells, columns);
    if (!report.ok())
        return report;
    const std::size_t width = cells.size();

    // The mark tells spreadsheet programs the text is UTF-8; keep it if the log had it.
    if (reader.had_byte_order_mark())
        pending += "\xEF\xBB\xBF";
    for (const std::string& heading : cells) {
        append_csv_cell(pending, heading, delimiter);
        pending += delimiter;
    }
    append_result_headings(pending, delimiter);
    pending += '\n';

    FieldTexts texts;
    while (reader.next(cells)) {
        if (cells.size() != width) {
            report.error = "line " + std::to_string(reader.record_line()) + ": " + std::to_string(cells.size()) +
                           (cells.size() == 1 ? " cell" : " cells") + ", but the heading row has " +
                           std::to_string(width);
            break;
        }
        for (std::size_t f = 0; f < field_count; ++f) {
            texts[f] = columns[f] ? std::string_view(cells[*columns[f]]) : std::string_view(options.field_texts[f]);
        }
        const RunOutcome outcome = run_correction(texts, options.units);
        ++report.rows;
        if (outcome.refused())
            ++report.refused;

        for (const std::string& cell : cells) {
            append_csv_cell(pending, cell, delimiter);
            pending += delimiter;
        }
        append_result_cells(pending, outcome, delimiter);
        pending += '\n';
        write_when_full(pending, out);
    }
    if (report.ok() && !reader.error().empty())
        report.error = reader.error();
    out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
    out.flush();
    if (report.ok() && !out)
        report.error = "the output could not be written";
    return report;
}

}  // namespace kestrane::cli
