// A whole log from --csv: every row corrected and written out, a summary on
// standard error.
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "batch.h"
#include "commands.h"
#include "messages.h"

namespace kestrane::cli {
namespace {

// The summary of a log: "4 rows read, 2 corrected, 1 refused, 1 malformed".
std::string log_summary(const LogReport& report) {
    std::string text = counted(report.rows, "row", "rows") + " read, " + std::to_string(report.corrected) +
                       " corrected, " + std::to_string(report.refused) + " refused";
    if (report.malformed != 0)
        text += ", " + std::to_string(report.malformed) + " malformed";
    if (report.blank != 0)
        text += ", " + std::to_string(report.blank) + " blank";
    if (report.warned != 0)
        text += ", " + std::to_string(report.warned) + " with warnings";
    return text;
}

// Why the log was not corrected to its end, said with the exit status it ends with.
int report_failure(const LogReport& report, const Settings& s, std::ostream& err) {
    const bool standard_input = s.csv == "-";
    const std::string source = standard_input ? "standard input" : quoted_name(s.csv);
    switch (report.failure) {
        case LogFailure::none: break;
        case LogFailure::bad_header:
            return report_error(err, (standard_input ? source : s.csv) + ": " + report.message, exit_usage);
        case LogFailure::read_failed:
            return report_error(err, "cannot read " + source + ": " + report.message, exit_io);
        case LogFailure::write_failed: return report_error(err, "write error: " + report.message, exit_io);
        case LogFailure::rejects_failed:
            return report_error(err, "write error: " + quoted_name(s.rejects) + ": " + report.message, exit_io);
    }
    return 0;
}

}  // namespace

int run_log(const Request& request,
            UnitSelection units,
            std::optional<char> delimiter,
            InputSource& in,
            std::ostream& out,
            std::ostream& err) {
    const Settings& s = request.settings;
    if (request.format && s.format != reading_format_names[static_cast<std::size_t>(ReadingFormat::csv)])
        return report_error(err, "--format " + s.format + " does not go with a log: a log is written as CSV",
                            exit_usage);
    for (std::size_t f = 0; f < field_count; ++f) {
        if (request.fields_given.test(f)) {
            return report_error(err,
                                field_option(static_cast<Field>(f)) +
                                    " does not go with a log: the log gives every field in its columns",
                                exit_usage);
        }
    }
    std::string reason;
    std::unique_ptr<InputSource> file;
    if (s.csv != "-" && !(file = open_input(s.csv, reason))) {
        // A misspelt command is taken for the name of a log.
        if (!nearest_name(s.csv, std::span(&table_command, 1)).empty())
            reason += " (did you mean the command " + std::string(table_command) + "?)";
        return report_error(err, "cannot read " + quoted_name(s.csv) + ": " + reason, exit_io);
    }
    std::unique_ptr<OutputBuffer> rejects_buffer;
    std::optional<std::ostream> rejects;
    if (request.rejects) {
        if (!(rejects_buffer = open_output(s.rejects, reason)))
            return report_error(err, "cannot write " + quoted_name(s.rejects) + ": " + reason, exit_io);
        rejects.emplace(rejects_buffer.get());
    }
    LogOptions options;
    options.units = units;
    options.mode = s.mode();
    options.decimal_comma = s.decimal_comma;
    options.delimiter = delimiter.value_or(CsvReader::detect_delimiter);
    options.rejects = rejects ? &*rejects : nullptr;
    const LogReport report = correct_log(file ? *file : in, out, options);
    if (report.failure != LogFailure::none)
        return report_failure(report, s, err);
    if (!s.quiet)
        err << program_name << ": " << log_summary(report) << '\n';
    return report.refused == 0 && report.malformed == 0 ? 0 : exit_refused;
}

}  // namespace kestrane::cli
