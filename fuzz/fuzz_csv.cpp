// Fuzzes the correction of a whole CSV log: whatever the bytes, no row may be
// lost or invented and no byte of a malformed record may be lost. The input is
// split into records by a plain reference reader of the log's rules (RFC 4180,
// a record that spans lines with broken quoting or past the bound cut back to
// its first line, a line past the bound one record); the output is read back
// with a second plain reader. Every record must come back in order: a row that
// read cleanly with its cells unchanged, a malformed one with its text whole
// (in its first column, or in the rejects as it stood, line break and all).
// Each input is checked twice: as it is, with commas; and with its commas,
// semicolons and points rotated (commas become semicolons, points commas) and
// read with --decimal-comma, the delimiter left to the header line to decide.
// Each log is pushed to the corrector in pieces whose size the input picks, and
// its output, corrected again, must come back byte for byte. Corrected in
// small blocks on several threads, it must give what one thread gives.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/names.h"
#include "core/number_text.h"
#include "log/log_corrector.h"
#include "log/parallel_log.h"

namespace {

using Record = std::vector<std::string>;

// Headers the input may be given; the first byte picks one, or none (the input brings its own).
constexpr std::string_view headers[] = {
    "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity",
    "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity,temperature_unit,"
    "pressure_unit,distance_unit",
    "note,relative_humidity,pressure_unit,altitude,temperature,barometric_pressure,target_pressure,target_gas",
    "\"target_gas\",target_pressure,barometric_pressure,temperature,altitude,relative_humidity,\"a, b\"",
};
constexpr std::size_t header_count = sizeof headers / sizeof headers[0];
constexpr std::size_t result_columns = 6;
constexpr std::string_view added_names[] = {"calculated_gas_pct",           "calculated_gas_pressure",
                                            "vapor_pressure_pct",           "corrected_barometer",
                                            "error",                        "warning",
                                            "expanded_uncertainty_gas_pct", "expanded_uncertainty_gas_pressure"};
constexpr std::string_view field_names[] = {"target_gas", "target_pressure", "barometric_pressure",
                                            "temperature", "altitude", "relative_humidity"};

// The delimiter of the check under way, for the reference readers.
char delimiter = ',';

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.substr(0, 400).c_str());
    std::abort();
}

bool is_break(char c) {
    return c == '\n' || c == '\r';
}

std::size_t break_length(std::string_view text, std::size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// One record of the input as the reference reads it.
struct InputRecord {
    std::string text;              // as it stood, without its line break
    std::string line_break;        // "\n", "\r\n", "\r" or "" at the end
    std::size_t line = 0;          // the line it starts on
    std::optional<Record> fields;  // nothing when its quoting is broken or it is too long
    bool bare_quote = false;       // a field holds a quote it does not start with
};

// How a record's quoting went wrong: quotes that do not pair (one left open,
// or text after a closing one). A quote inside a field that does not start
// with one is text.
enum class Broken { no, unpaired };

// The fields of a record's text, whether its quoting is broken, and whether a
// field holds a bare quote.
Broken split(std::string_view text, Record& fields, bool* bare = nullptr) {
    fields.assign(1, std::string());
    bool field_start = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (field_start && c == '"') {
            for (++i;; ++i) {
                if (i == text.size())
                    return Broken::unpaired;
                if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"')
                    fields.back() += text[i++];
                else if (text[i] == '"')
                    break;
                else
                    fields.back() += text[i];
            }
            if (i + 1 < text.size() && text[i + 1] != delimiter)
                return Broken::unpaired;
            field_start = false;
        } else if (c == delimiter) {
            fields.emplace_back();
            field_start = true;
        } else {
            if (c == '"' && bare)
                *bare = true;
            fields.back() += c;
            field_start = false;
        }
    }
    return Broken::no;
}

// Where the record at `from` ends: the first line break outside quotes, or the end.
std::size_t record_end(std::string_view text, std::size_t from) {
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = i == from || text[i - 1] == delimiter;
        } else if (is_break(c)) {
            return i;
        }
    }
    return text.size();
}

std::vector<InputRecord> input_records(std::string_view text, std::size_t max_record) {
    std::vector<InputRecord> records;
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        if (is_break(text[i])) {  // an empty line
            i += break_length(text, i);
            ++line;
            continue;
        }
        std::size_t end = record_end(text, i);
        std::size_t first_break = i;
        while (first_break < end && !is_break(text[first_break]))
            ++first_break;
        InputRecord r;
        r.line = line;
        Record fields;
        if (first_break - i > max_record) {
            end = first_break;  // one line past the bound: a record too long
        } else if (end - i > max_record ||
                   (split(text.substr(i, end - i), fields) == Broken::unpaired && first_break < end)) {
            end = first_break;  // quoting gone wrong across lines, or past the bound: its first line alone
        } else if (split(text.substr(i, end - i), fields, &r.bare_quote) == Broken::no) {
            r.fields = fields;
        }
        r.text = text.substr(i, end - i);
        for (std::size_t k = i; k < end; k += is_break(text[k]) ? break_length(text, k) : 1)
            line += is_break(text[k]) ? 1 : 0;
        if (end < text.size()) {
            r.line_break = text.substr(end, break_length(text, end));
            ++line;
        }
        i = end + r.line_break.size();
        records.push_back(std::move(r));
    }
    return records;
}

// Every record of the output, which quotes what needs it, keeps a cell read
// with a bare quote as it stood, and ends lines in LF.
std::vector<Record> output_records(std::string_view text) {
    std::vector<Record> records;
    Record record(1);
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool field_start = i == 0 || text[i - 1] == delimiter || text[i - 1] == '\n';
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                record.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                record.back() += c;
            }
        } else if (c == '"' && field_start) {
            quoted = true;
            any = true;
        } else if (c == delimiter) {
            record.emplace_back();
            any = true;
        } else if (c == '\n') {
            records.push_back(record);
            record.assign(1, std::string());
            any = false;
        } else if (c == '\r') {
            fail("a CR outside quotes in the output", std::string(text));
        } else {
            record.back() += c;
            any = true;
        }
    }
    if (quoted || any)
        fail("the output does not end with a whole record", std::string(text));
    return records;
}

struct Run {
    kestrane::LogReport report;
    std::string output;
    std::string rejects;
};

kestrane::LogOptions options_of(std::size_t max_record, bool with_rejects, bool european) {
    kestrane::LogOptions options;
    options.max_record = max_record;
    options.rejects = with_rejects;
    if (european) {
        options.delimiter = kestrane::LogOptions::detect_delimiter;
        options.rules.decimal_comma = true;
    } else {
        options.delimiter = ',';
    }
    return options;
}

Run correct(const std::string& log, const kestrane::LogOptions& options, std::size_t chunk) {
    Run run;
    run.report = kestrane::correct_log_text(log, options, run.output, &run.rejects, chunk);
    return run;
}

// Whether a header cell names a column, as the corrector matches names.
bool names(std::string_view cell, std::string_view column) {
    return kestrane::same_ignoring_case(kestrane::trim_blanks(cell), column);
}

// Checks one output row against the input record it came from.
void check_row(const Record& row, const InputRecord& record, std::size_t width, bool with_rejects) {
    const std::string& error = row[width + 4];
    const bool malformed = error.rfind("line ", 0) == 0;
    const bool blank = record.fields && std::all_of(record.fields->begin(), record.fields->end(),
                                                    [](const std::string& f) { return f.empty(); });
    // A blank row passes through whatever its width; any other must read whole at the header's width.
    const bool should_be_malformed = !record.fields || (!blank && record.fields->size() != width);
    if (malformed != should_be_malformed)
        fail("a row malformed as it should not be, or not as it should", record.text);
    if (malformed) {
        if (error.rfind("line " + std::to_string(record.line) + ": ", 0) != 0)
            fail("a malformed row names another line", error + " for " + record.text);
        if (row[0] != (with_rejects ? std::string() : record.text))
            fail("a malformed record's text not carried whole", record.text);
        return;
    }
    for (std::size_t f = 0; f < width; ++f) {
        if (row[f] != (blank ? std::string() : (*record.fields)[f]))
            fail("a cell changed on the way through", record.text);
    }
    bool results = true;
    bool none = true;
    for (std::size_t k = width; k < width + 4; ++k) {
        results = results && !row[k].empty();
        none = none && row[k].empty();
    }
    if (blank ? !(none && error.empty()) : error.empty() ? !results : !none)
        fail("a row with neither four results nor an error", record.text);
    const std::string& warning = row[width + 5];
    if (record.bare_quote != (warning.find("not quoted (column") != std::string::npos))
        fail("a bare quote without its warning, or the warning without one", record.text);
}

// The log with commas, semicolons and points rotated: a comma log as a
// spreadsheet with decimal commas would save it.
std::string rotated(std::string log) {
    for (char& c : log)
        c = c == ',' ? ';' : c == '.' ? ',' : c == ';' ? '.' : c;
    return log;
}

// The number of the six field columns a header names.
std::size_t fields_named(const Record& header) {
    std::size_t count = 0;
    for (const std::string_view field : field_names) {
        bool found = false;
        for (const std::string& cell : header)
            found = found || names(cell, field);
        count += found ? 1 : 0;
    }
    return count;
}

// The delimiter a header calls for: the first of comma, semicolon, bar and tab
// with which its first record (read as CSV) names all six fields, else the one
// that names most.
char delimiter_of(std::string_view text, std::size_t max_record) {
    char best = ',';
    std::size_t best_count = 0;
    for (const char candidate : {',', ';', '|', '\t'}) {
        delimiter = candidate;
        const std::vector<InputRecord> records = input_records(text, max_record);
        const std::size_t count = !records.empty() && records[0].fields ? fields_named(*records[0].fields) : 0;
        if (count > best_count) {
            best_count = count;
            best = candidate;
        }
        if (count == std::size(field_names))
            break;
    }
    return best;
}

// Whether a header's cells name any of the columns the corrector adds.
bool names_an_added_column(const Record& header) {
    for (const std::string& cell : header) {
        for (const std::string_view name : added_names) {
            if (names(cell, name))
                return true;
        }
    }
    return false;
}

// Corrected again, the output comes back byte for byte: malformed records,
// refusals and warnings included, and no new rejects.
void check_idempotent(const Run& run, const kestrane::LogOptions& options, std::size_t chunk) {
    kestrane::LogOptions again = options;
    again.max_record = kestrane::RecordReader::default_max_record;  // a carried record is longer than it was
    const Run second = correct(run.output, again, chunk);
    if (second.output != run.output)
        fail("corrected again, the output changed", second.output);
    if (!second.rejects.empty())
        fail("corrected again, the output has rejects", second.rejects);
}

// The decimal mark that --decimal-comma records after the log's own columns,
// unless its header has a column for it: checked, then dropped, so the rest of
// each record reads as a log with no options written.
void drop_recorded(std::vector<Record>& out, const Record& header, const kestrane::LogOptions& options) {
    const bool has_mark = std::any_of(header.begin(), header.end(), [](const std::string& cell) {
        return names(cell, kestrane::decimal_mark_column);
    });
    if (!options.rules.decimal_comma || has_mark)
        return;
    const std::size_t at = header.size();
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (out[k].size() <= at)
            fail("no recorded decimal mark", out[k].empty() ? std::string() : out[k][0]);
        const std::string& cell = out[k][at];
        if (k == 0 ? cell != kestrane::decimal_mark_column : !cell.empty() && cell != kestrane::decimal_marks[1])
            fail("the recorded decimal mark", cell);
        out[k].erase(out[k].begin() + static_cast<std::ptrdiff_t>(at));
    }
}

// Options picked by the input: units other than the defaults, standard
// uncertainties and the lenient reading, each only where the log's header has no column of its own
// (a cell of that column left empty takes the option, and is not recorded).
kestrane::LogOptions picked_options(kestrane::LogOptions options, const Record& header, unsigned pick) {
    const auto has = [&](std::string_view column) {
        return std::any_of(header.begin(), header.end(), [&](const std::string& cell) { return names(cell, column); });
    };
    for (std::size_t k = 0; k < kestrane::unit_kind_count; ++k) {
        if ((pick >> k & 1) != 0 && !has(kestrane::unit_kinds[k].column))
            options.units.*kestrane::unit_kinds[k].selection = 1;
    }
    const char* const texts[] = {"0.05", "0,05"};
    for (const std::size_t f : {std::size_t{0}, std::size_t{3}}) {
        if ((pick >> (3 + f / 3) & 1) == 0 || has(kestrane::uncertainty_columns()[f]))
            continue;
        options.uncertainty = true;
        options.uncertainty_texts[f] = texts[options.rules.decimal_comma ? 1 : 0];
        options.uncertainties.inputs[f].value = 0.05;
    }
    if ((pick >> 5 & 1) != 0 && !has(kestrane::rule_columns[1].column))
        options.rules.mode = kestrane::ReadingMode::lenient;
    return options;
}

// Corrected with the options the input picks, the output corrected again with
// none (but the delimiter it was read with) gives itself: it records what made it.
void check_again_with_none(const std::string& log, std::size_t max_record, bool european, std::size_t chunk,
                           unsigned pick) {
    std::string_view text(log);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    delimiter = european ? delimiter_of(text, max_record) : ',';
    const std::vector<InputRecord> records = input_records(text, max_record);
    // A log of its own is filled in place as it stands, with this run's options.
    if (records.empty() || !records[0].fields || names_an_added_column(*records[0].fields))
        return;
    const kestrane::LogOptions options = picked_options(options_of(max_record, false, european), *records[0].fields, pick);
    const Run run = correct(log, options, chunk);
    if (run.report.failure != kestrane::LogFailure::none)
        return;
    kestrane::LogOptions none;
    none.delimiter = options.delimiter;
    const Run second = correct(run.output, none, chunk);
    if (second.output != run.output)
        fail("corrected again with no options, the output changed", run.output + "\n---\n" + second.output);
}

// Corrected in blocks of `block` bytes on a few threads, the log gives what one thread gave.
void check_in_blocks(const std::string& log, const kestrane::LogOptions& options, const Run& one, std::size_t block) {
    Run many;
    many.report = kestrane::correct_log_text_in_blocks(log, options, {2 + block % 2, block}, many.output, &many.rejects);
    if (many.output != one.output)
        fail("corrected in blocks, the output differs", many.output + "\n---\n" + one.output);
    if (many.rejects != one.rejects)
        fail("corrected in blocks, the rejects differ", many.rejects + "\n---\n" + one.rejects);
    if (kestrane::log_summary(many.report) != kestrane::log_summary(one.report) ||
        many.report.failure != one.report.failure || many.report.message != one.report.message)
        fail("corrected in blocks, the report differs", kestrane::log_summary(many.report) + many.report.message);
}

// Checks the correction of one log, with and without rejects.
void check_log(const std::string& log, std::size_t max_record, bool header_given, bool european, std::size_t chunk) {
    std::string_view text(log);
    const bool mark = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (mark)
        text.remove_prefix(3);
    delimiter = european ? delimiter_of(text, max_record) : ',';
    const std::vector<InputRecord> records = input_records(text, max_record);

    for (const bool with_rejects : {false, true}) {
        const kestrane::LogOptions options = options_of(max_record, with_rejects, european);
        const Run run = correct(log, options, chunk);
        if (with_rejects)
            check_in_blocks(log, options, run, chunk == 0 ? 64 : chunk);
        if (run.report.failure == kestrane::LogFailure::bad_header) {
            if (header_given)
                fail("a good header refused", run.report.message);
            if (!run.output.empty() || !run.rejects.empty())
                fail("output despite a bad header", run.output);
            return;
        }
        if (records.empty() || !records[0].fields)
            fail("a header accepted where there is none that reads", log);
        check_idempotent(run, options, chunk);
        const Record& header = *records[0].fields;
        if (names_an_added_column(header))
            return;  // a log of its own, corrected in place: checked by the unit tests and for idempotence
        const std::size_t rows = records.size() - 1;
        if (run.report.rows != rows)
            fail("rows counted", std::to_string(run.report.rows) + " of " + std::to_string(rows));
        const auto& r = run.report;
        if (r.corrected + r.refused + r.malformed + r.blank != r.rows)
            fail("rows unaccounted", log);

        std::string_view written(run.output);
        if (mark != (written.substr(0, 3) == "\xEF\xBB\xBF"))
            fail("byte order mark not kept as it was", run.output);
        if (mark)
            written.remove_prefix(3);
        std::vector<Record> out = output_records(written);
        drop_recorded(out, header, options);
        if (out.size() != rows + 1)
            fail("records written", std::to_string(out.size()) + " for " + std::to_string(rows) + " rows");
        const std::size_t width = header.size();
        std::string rejected;
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (out[k].size() != width + result_columns)
                fail("fields in an output record", records[k].text);
            if (k == 0) {
                if (Record(out[0].begin(), out[0].begin() + static_cast<std::ptrdiff_t>(width)) != header)
                    fail("header not copied whole", records[0].text);
                continue;
            }
            check_row(out[k], records[k], width, with_rejects);
            if (out[k][width + 4].rfind("line ", 0) == 0)
                rejected += records[k].text + records[k].line_break;
        }
        if (run.rejects != (with_rejects ? rejected : std::string()))
            fail("the rejects are not the malformed records as they stood", run.rejects);
    }
}

}  // namespace

// Input: one byte choosing the header (or none) and the longest record read
// whole, one choosing the size of the pieces the log is pushed in, then the log's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t choice = data[0] % (header_count + 1);
    std::string log;
    if (choice < header_count)
        log.append(headers[choice]) += '\n';
    log.append(reinterpret_cast<const char*>(data + 2), size - 2);
    // At least as long as the longest header, so a given header always reads whole.
    const std::size_t max_record = 160 + std::size_t{data[0] / (header_count + 1)} * 8;
    // Whole, or in pieces of 1 to 64 bytes.
    const std::size_t chunk = data[1] < 64 ? std::size_t{0} : std::size_t{data[1]} % 64 + 1;
    check_log(log, max_record, choice < header_count, false, chunk);
    check_log(rotated(log), max_record, choice < header_count, true, chunk);
    const unsigned pick = data[0] ^ data[1];
    check_again_with_none(log, max_record, false, chunk, pick);
    check_again_with_none(rotated(log), max_record, true, chunk, pick);
    return 0;
}
