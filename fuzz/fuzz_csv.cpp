// Fuzzes the correction of a whole CSV log: whatever the bytes, no row may be
// lost or invented. The output is read back with a separate, plain reader and
// must hold one record per non-blank input line after the header, each with
// either four results or an error; a row that read cleanly must come back with
// its fields unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"

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

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.substr(0, 400).c_str());
    std::abort();
}

// The physical lines of text: ends are LF, CRLF or a lone CR.
std::vector<std::string_view> physical_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// One line as a strict RFC 4180 record, or nothing if its quoting is broken.
std::optional<Record> strict_record(std::string_view line) {
    Record fields(1);
    std::size_t i = 0;
    bool field_start = true;
    while (i < line.size()) {
        const char c = line[i];
        if (field_start && c == '"') {
            ++i;
            for (;;) {
                if (i == line.size())
                    return std::nullopt;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        fields.back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                fields.back() += line[i++];
            }
            if (i < line.size() && line[i] != ',')
                return std::nullopt;
            field_start = false;
            continue;
        }
        if (c == ',') {
            fields.emplace_back();
            field_start = true;
        } else if (c == '"') {
            return std::nullopt;
        } else {
            fields.back() += c;
            field_start = false;
        }
        ++i;
    }
    return fields;
}

// Every record of the output, which may quote line breaks (it never should need to).
std::vector<Record> output_records(std::string_view text) {
    std::vector<Record> records;
    Record record(1);
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                record.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                record.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
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

}  // namespace

// Input: one byte choosing the header (or none) and the longest line read
// whole, then the log's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t choice = data[0] % (header_count + 1);
    std::string log;
    if (choice < header_count)
        log.append(headers[choice]) += '\n';
    log.append(reinterpret_cast<const char*>(data + 1), size - 1);

    kestrane::cli::LogOptions options;
    // At least as long as the longest header, so a given header always reads whole.
    options.max_record = 160 + std::size_t{data[0] / (header_count + 1)} * 8;
    std::istringstream in(log);
    std::ostringstream out;
    const kestrane::cli::LogReport report = kestrane::cli::correct_log(in, out, options);
    const std::string output = out.str();

    // The non-blank lines: the first is the header, the rest the rows.
    std::string_view text(log);
    const bool mark = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (mark)
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::vector<std::size_t> numbers;  // each line's physical number, from 1
    const std::vector<std::string_view> all = physical_lines(text);
    for (std::size_t n = 0; n < all.size(); ++n) {
        if (all[n].empty())
            continue;
        lines.push_back(all[n]);
        numbers.push_back(n + 1);
    }

    if (report.failure == kestrane::cli::LogFailure::bad_header) {
        if (choice < header_count)
            fail("a good header refused", report.message);
        if (!output.empty())
            fail("output despite a bad header", output);
        return 0;
    }
    if (report.failure != kestrane::cli::LogFailure::none)
        fail("the log was not read to its end", report.message);
    if (lines.empty())
        fail("a header accepted where there is none", log);
    const std::size_t rows = lines.size() - 1;
    if (report.rows != rows)
        fail("rows counted", std::to_string(report.rows) + " of " + std::to_string(rows));
    if (report.corrected + report.refused + report.malformed != report.rows)
        fail("rows unaccounted", log);

    std::string_view written(output);
    if (mark != (written.substr(0, 3) == "\xEF\xBB\xBF"))
        fail("byte order mark not kept as it was", output);
    if (mark)
        written.remove_prefix(3);
    const std::vector<Record> records = output_records(written);
    if (records.size() != rows + 1) {
        fail("records written", std::to_string(records.size()) + " for " + std::to_string(rows) + " rows");
    }
    const std::optional<Record> header = strict_record(lines[0]);
    if (!header)
        fail("a header with broken quoting accepted", std::string(lines[0]));
    const std::size_t width = header->size();
    std::size_t with_results = 0;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const Record& record = records[r];
        if (record.size() != width + 5)
            fail("fields in an output record", std::string(lines[r]));
        const std::optional<Record> input = strict_record(lines[r]);
        if (r == 0) {
            if (Record(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(width)) != *header)
                fail("header not copied whole", std::string(lines[0]));
            continue;
        }
        const std::string& error = record.back();
        bool results = true;
        bool none = true;
        for (std::size_t k = width; k < width + 4; ++k) {
            results = results && !record[k].empty();
            none = none && record[k].empty();
        }
        if (error.empty() ? !results : !none)
            fail("a row with neither four results nor an error", std::string(lines[r]));
        with_results += error.empty() ? 1 : 0;
        // A malformed row names its physical line; any other row read cleanly,
        // and its fields come back unchanged.
        const bool malformed = error.rfind("line ", 0) == 0;
        if (malformed) {
            if (error.rfind("line " + std::to_string(numbers[r]) + ": ", 0) != 0)
                fail("a malformed row names another line", error + " for " + std::string(lines[r]));
            // A line that reads cleanly, whole and with the header's width can only be wrong in a unit.
            if (input && input->size() == width && lines[r].size() <= options.max_record &&
                error.find(" unit \"") == std::string::npos)
                fail("a good line called malformed", error + " for " + std::string(lines[r]));
        } else {
            if (!input || input->size() != width)
                fail("a faulty line corrected", std::string(lines[r]));
            if (Record(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(width)) != *input)
                fail("fields changed on the way through", std::string(lines[r]));
        }
    }
    if (with_results != report.corrected)
        fail("corrected rows counted", log);
    return 0;
}
