#include "batch.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "messages.h"
#include "vocabulary.h"

namespace kestrane::cli {
namespace {

constexpr std::size_t output_chunk = std::size_t{1} << 16;
constexpr std::size_t result_count = result_column_names.size();

std::string line_prefix(std::size_t line) {
    return "line " + std::to_string(line) + ": ";
}

// Where each named column sits in the header, and what each output column holds.
struct Columns {
    std::array<std::size_t, field_count> fields{};
    std::array<std::optional<std::size_t>, 3> units;
    std::size_t width = 0;  // the input's columns
    // Each output column: an input column (>= 0) or result k (-1 - k).
    std::vector<int> plan;
    bool in_place = false;       // some result columns are the input's own
    std::size_t raw_column = 0;  // the column that carries a malformed record's text
};

// Finds the header's columns; an error text when a required one is missing or one is doubled.
class HeaderMap {
public:
    HeaderMap(const std::vector<std::string_view>& header, std::size_t line) : header_(header), line_(line) {}

    std::string map(Columns& columns) {
        std::array<std::optional<std::size_t>, field_count> fields;
        std::array<std::optional<std::size_t>, result_count> results;
        for (std::size_t i = 0; i < header_.size() && error_.empty(); ++i) {
            if (const auto field = field_from_column_name(header_[i]))
                place(fields[static_cast<std::size_t>(*field)], i);
            for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
                if (header_[i] == unit_kinds[k].column)
                    place(columns.units[k], i);
            }
            // The error and warning columns are ours only in a log that was
            // corrected before; in any other they are the log's own.
            for (std::size_t k = 0; k < error_column; ++k) {
                if (header_[i] == result_column_names[k])
                    place(results[k], i);
            }
        }
        columns.in_place = results[0] || results[1] || results[2] || results[3];
        for (std::size_t i = 0; i < header_.size() && error_.empty() && columns.in_place; ++i) {
            for (std::size_t k = error_column; k < result_count; ++k) {
                if (header_[i] == result_column_names[k])
                    place(results[k], i);
            }
        }
        if (error_.empty())
            check_fields(fields, columns);
        if (error_.empty())
            plan(results, columns);
        return error_;
    }

private:
    void place(std::optional<std::size_t>& slot, std::size_t i) {
        if (slot) {
            error_ = line_prefix(line_) + "column " + std::string(header_[i]) + " appears twice (columns " +
                     std::to_string(*slot + 1) + " and " + std::to_string(i + 1) + ")";
        }
        slot = i;
    }

    void check_fields(const std::array<std::optional<std::size_t>, field_count>& fields, Columns& columns) {
        std::string missing;
        std::size_t missing_count = 0;
        for (std::size_t f = 0; f < field_count; ++f) {
            if (fields[f]) {
                columns.fields[f] = *fields[f];
                continue;
            }
            missing += missing_count++ == 0 ? "" : ", ";
            missing += field_column_names[f];
        }
        if (missing_count == 0)
            return;
        error_ = line_prefix(line_) + (missing_count == 1 ? "missing column " : "missing columns ") + missing +
                 " (a log needs the columns " + field_column_list() + ")" + delimiter_hint();
    }

    // A header read as one column that holds another delimiter was written with that one.
    std::string delimiter_hint() const {
        const std::pair<char, std::string_view> others[] = {{';', "\";\""}, {'\t', "tab"}, {'|', "\"|\""}};
        for (const auto& [c, name] : others) {
            if (header_.size() == 1 && header_[0].find(c) != std::string_view::npos)
                return "; its header is one column with " + std::string(name) + " in it: give --delimiter " +
                       std::string(name);
        }
        return {};
    }

    void plan(const std::array<std::optional<std::size_t>, result_count>& results, Columns& columns) const {
        columns.width = header_.size();
        columns.plan.clear();
        for (std::size_t i = 0; i < header_.size(); ++i)
            columns.plan.push_back(static_cast<int>(i));
        for (std::size_t k = 0; k < result_count; ++k) {
            if (results[k])
                columns.plan[*results[k]] = -1 - static_cast<int>(k);
            else
                columns.plan.push_back(-1 - static_cast<int>(k));
        }
        columns.raw_column = 0;
        while (columns.plan[columns.raw_column] < 0)
            ++columns.raw_column;
    }

    const std::vector<std::string_view>& header_;
    std::size_t line_;
    std::string error_;
};

using Results = std::array<std::string_view, result_count>;

// One pass over a log: reads each record, corrects it, and writes its row.
class LogCorrector {
public:
    LogCorrector(InputSource& in, std::ostream& out, const LogOptions& options)
        : reader_(in, options.max_record, options.delimiter), out_(out), options_(options) {
        reader_.on_wait([this] { flush(true); });
        pending_.reserve(output_chunk + output_chunk / 4);
    }

    LogReport run() {
        if (read_header())
            read_rows();
        if (report_.failure == LogFailure::none && !reader_.read_failure().empty())
            fail(LogFailure::read_failed, reader_.read_failure());
        return report_;
    }

private:
    bool read_header() {
        if (!reader_.next(fields_)) {
            if (!reader_.read_failure().empty())
                fail(LogFailure::read_failed, reader_.read_failure());
            else
                fail(LogFailure::bad_header, "the input is empty: a log starts with a header row naming its columns");
            return false;
        }
        if (reader_.fault() != RecordFault::none) {
            std::string_view rest;
            while (reader_.more_text(rest)) {
            }
            fail(LogFailure::bad_header,
                 line_prefix(reader_.line_number()) + describe(reader_.fault(), reader_.max_record()));
            return false;
        }
        delimiter_ = reader_.delimiter();
        const std::string error = HeaderMap(fields_, reader_.line_number()).map(columns_);
        if (!error.empty()) {
            fail(LogFailure::bad_header, error);
            return false;
        }
        // The mark tells spreadsheet programs the text is UTF-8; keep it if the log had it.
        if (reader_.had_byte_order_mark())
            pending_ += "\xEF\xBB\xBF";
        Results names;
        for (std::size_t k = 0; k < result_count; ++k)
            names[k] = result_column_names[k];
        write_row(fields_, names);
        return true;
    }

    void read_rows() {
        while (report_.failure == LogFailure::none && reader_.next(fields_)) {
            ++report_.rows;
            if (reader_.fault() != RecordFault::none) {
                write_malformed(describe(reader_.fault(), reader_.max_record()));
            } else if (fields_.size() != columns_.width && !all_empty()) {
                write_malformed("expected " + counted(columns_.width, "field", "fields") + ", found " +
                                std::to_string(fields_.size()));
            } else if (all_empty()) {
                // Passed through as the header's width of empty cells, however many it had.
                ++report_.blank;
                write_cells({}, Results{}, 0, columns_.plan.size());
                pending_ += '\n';
            } else {
                correct_row();
            }
            if (pending_.size() >= output_chunk)
                flush(false);
        }
        flush(true);
    }

    bool all_empty() const {
        for (const std::string_view field : fields_) {
            if (!field.empty())
                return false;
        }
        return true;
    }

    void correct_row() {
        UnitSelection units = options_.units;
        for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
            if (!columns_.units[k])
                continue;
            const std::string_view cell = fields_[*columns_.units[k]];
            if (trim_blanks(cell).empty())
                continue;
            const auto index = unit_index(unit_kinds[k].kind, cell);
            if (!index) {
                ++report_.refused;
                Results results;
                const std::string message = unknown_unit_message(unit_kinds[k].kind, cell);
                results[error_column] = message;
                write_row(fields_, results);
                return;
            }
            units.*unit_kinds[k].selection = *index;
        }
        FieldTexts texts;
        for (std::size_t f = 0; f < field_count; ++f)
            texts[f] = fields_[columns_.fields[f]];
        write_correction(correct(texts, units, options_.mode, options_.decimal_comma), texts);
    }

    void write_correction(const Correction& c, const FieldTexts& texts) {
        Results results;
        std::string message;
        if (!c.corrected()) {
            ++report_.refused;
            message = refusal_message(c, texts, options_.decimal_comma);
            results[error_column] = message;
            write_row(fields_, results);
            return;
        }
        ++report_.corrected;
        if (c.warnings.any()) {
            ++report_.warned;
            for (const std::string_view text : warning_texts(c.warnings))
                message.append(message.empty() ? "" : "; ").append(text);
            results[warning_column] = message;
        }
        if (copies_text() && append_plain_row(c.values, message))
            return;
        ResultTexts t = c.texts();
        if (options_.decimal_comma) {
            for (std::string* text :
                 {&t.calculated_gas_pct, &t.calculated_gas_pressure, &t.vapor_pressure_pct, &t.corrected_barometer})
                use_decimal_comma(*text);
        }
        results[0] = t.calculated_gas_pct;
        results[1] = t.calculated_gas_pressure;
        results[2] = t.vapor_pressure_pct;
        results[3] = t.corrected_barometer;
        write_row(fields_, results);
    }

    // The common case, kept short: the row as it stands, then its results,
    // an empty error and the warning. False, with nothing written, when a
    // result's text is too long for the short way.
    bool append_plain_row(const CorrectionResults& v, std::string_view warning) {
        char tail[256];
        char* const last = tail + sizeof tail;
        char* p = tail;
        const std::pair<double, FixedFormat> results[] = {
            {v.calculated_gas_pct, calculated_gas_pct_format},
            {v.calculated_gas_pressure, calculated_gas_pressure_format},
            {v.vapor_pressure_pct, vapor_pressure_pct_format},
            {v.corrected_barometer, corrected_barometer_format},
        };
        for (const auto& [value, format] : results) {
            *p++ = delimiter_;
            char* const text = p;
            if (p == last || !(p = write_formatted(p, last - 2, value, format)))
                return false;
            if (options_.decimal_comma)
                std::replace(text, p, '.', ',');
            // A result written with the delimiter in it takes the general way, which quotes it.
            if (std::find(text, p, delimiter_) != p)
                return false;
        }
        *p++ = delimiter_;
        *p++ = delimiter_;
        pending_.append(reader_.text()).append(tail, static_cast<std::size_t>(p - tail));
        append_csv_field(pending_, warning, delimiter_);
        pending_ += '\n';
        return true;
    }

    // Whether the row's own text, as it stands, is what its cells write, with
    // the results appended after them.
    bool copies_text() const {
        return !columns_.in_place && fields_.size() == columns_.width && reader_.writes_back_unchanged();
    }

    // A row's cells in the output's order. When the row's own text reads back
    // as its fields, it is copied as it stands.
    void write_row(const std::vector<std::string_view>& cells, const Results& results) {
        if (&cells == &fields_ && copies_text()) {
            pending_ += reader_.text();
            append_results(results, columns_.width);
            return;
        }
        write_cells(cells, results, 0, columns_.plan.size());
        pending_ += '\n';
    }

    void append_results(const Results& results, std::size_t from) {
        for (std::size_t pos = from; pos < columns_.plan.size(); ++pos) {
            pending_ += delimiter_;
            append_csv_field(pending_, results[static_cast<std::size_t>(-1 - columns_.plan[pos])], delimiter_);
        }
        pending_ += '\n';
    }

    // Output columns [from, to): input cells and results, a comma before each but the first.
    void write_cells(const std::vector<std::string_view>& cells,
                     const Results& results,
                     std::size_t from,
                     std::size_t to) {
        for (std::size_t pos = from; pos < to; ++pos) {
            if (pos != 0)
                pending_ += delimiter_;
            const int source = columns_.plan[pos];
            if (source < 0)
                append_csv_field(pending_, results[static_cast<std::size_t>(-1 - source)], delimiter_);
            else if (static_cast<std::size_t>(source) < cells.size())
                append_csv_field(pending_, cells[static_cast<std::size_t>(source)], delimiter_);
        }
    }

    // A record that is no row: its cells empty but one that carries its text
    // whole (unless the rejects take it), and the error naming its line.
    void write_malformed(const std::string& what) {
        ++report_.malformed;
        const std::string message = line_prefix(reader_.line_number()) + what;
        Results results;
        results[error_column] = message;
        const std::size_t raw = columns_.raw_column;
        write_cells({}, results, 0, raw);
        if (raw != 0)
            pending_ += delimiter_;
        carry_text();
        write_cells({}, results, raw + 1, columns_.plan.size());
        pending_ += '\n';
    }

    // The malformed record's text, piece by piece for one past the bound: to
    // the rejects as it stood, or quoted into the current cell.
    void carry_text() {
        const bool quote = options_.rejects == nullptr;
        if (quote)
            pending_ += '"';
        std::string_view piece = reader_.text();
        do {
            if (quote)
                append_quoted_text(pending_, piece);
            else
                options_.rejects->write(piece.data(), static_cast<std::streamsize>(piece.size()));
            if (pending_.size() >= output_chunk)
                flush(false);
        } while (reader_.more_text(piece));
        if (quote) {
            pending_ += '"';
        } else {
            options_.rejects->write(reader_.line_break().data(),
                                    static_cast<std::streamsize>(reader_.line_break().size()));
            if (!*options_.rejects)
                fail(LogFailure::rejects_failed, write_failure(*options_.rejects));
        }
    }

    // Writes out what is pending; with everything, the streams' own buffers too.
    void flush(bool everything) {
        out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
        if (everything) {
            out_.flush();
            if (options_.rejects)
                options_.rejects->flush();
        }
        if (!out_)
            fail(LogFailure::write_failed, write_failure(out_));
        else if (options_.rejects && !*options_.rejects)
            fail(LogFailure::rejects_failed, write_failure(*options_.rejects));
    }

    void fail(LogFailure failure, std::string message) {
        if (report_.failure != LogFailure::none)
            return;
        report_.failure = failure;
        report_.message = std::move(message);
    }

    CsvReader reader_;
    char delimiter_ = ',';  // the log's, once its header is read
    std::ostream& out_;
    const LogOptions& options_;
    Columns columns_;
    std::vector<std::string_view> fields_;
    std::string pending_;
    LogReport report_;
};

}  // namespace

LogReport correct_log(InputSource& in, std::ostream& out, const LogOptions& options) {
    return LogCorrector(in, out, options).run();
}

LogReport correct_log(std::istream& in, std::ostream& out, const LogOptions& options) {
    StreamSource source(in);
    return correct_log(source, out, options);
}

}  // namespace kestrane::cli
