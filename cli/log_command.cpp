// A whole log: read a chunk at a time, every row corrected and written out as
// soon as it is read, a summary on standard error.
#include <vector>

#include "commands.h"
#include "log/log_corrector.h"
#include "messages.h"

namespace kestrane::cli {
namespace {

constexpr std::size_t chunk_size = std::size_t{1} << 16;

// Where the log came from, for messages: "standard input", or the file's name.
std::string source_name(const Request& r, bool quoted) {
    if (r.log == "-")
        return "standard input";
    return quoted ? quoted_name(r.log) : r.log;
}

// Writes what the corrector has ready; false, with the reason reported, when a write fails.
bool write_ready(LogCorrector& corrector, ByteSink& out, ByteSink* rejects, const Request& r, ByteSink& err, int& status) {
    if (!corrector.output().empty() && !out.write(corrector.output())) {
        status = report_write_failure(out, err, r.output && *r.output != "-" ? *r.output : "");
        return false;
    }
    corrector.output().clear();
    if (rejects && !corrector.rejects().empty() && !rejects->write(corrector.rejects())) {
        status = report_write_failure(*rejects, err, *r.rejects);
        return false;
    }
    corrector.rejects().clear();
    return true;
}

}  // namespace

int run_log(const Request& r, ByteSource& log, ByteSink& out, ByteSink* rejects, ByteSink& err) {
    if (r.format_given && r.format != ReadingFormat::csv) {
        return report_error(err,
                            "--format " + std::string(reading_format_names[static_cast<std::size_t>(r.format)]) +
                                " does not go with a log: a log is written as CSV",
                            exit_usage);
    }
    if (r.monte_carlo)
        return report_error(err, "--monte-carlo goes with one reading: a log states each row's uncertainty", exit_usage);
    std::string refused;
    std::optional<LogOptions> options = log_options(query_of(r), command_line_hints, refused);
    if (!options)
        return report_error(err, refused, exit_usage);
    options->delimiter = r.delimiter.value_or(LogOptions::detect_delimiter);
    options->rejects = rejects != nullptr;
    LogCorrector corrector(*options);
    std::vector<char> buffer(chunk_size);
    int status = 0;
    for (;;) {
        const std::size_t n = log.read(buffer.data(), buffer.size());
        if (n == 0)
            break;
        corrector.push(std::string_view(buffer.data(), n));
        if (corrector.failed() || !write_ready(corrector, out, rejects, r, err, status))
            break;
    }
    if (status != 0)
        return status;
    if (!log.failure().empty())
        return report_error(err, "cannot read " + source_name(r, true) + ": " + log.failure(), exit_io);
    corrector.finish();
    const LogReport& report = corrector.report();
    if (report.failure != LogFailure::none)
        return report_error(err, source_name(r, false) + ": " + report.message, exit_usage);
    if (!write_ready(corrector, out, rejects, r, err, status))
        return status;
    if (!r.quiet)
        err.write(std::string(program_name) + ": " + log_summary(report) + "\n");
    return report.refused == 0 && report.malformed == 0 ? 0 : exit_refused;
}

}  // namespace kestrane::cli
