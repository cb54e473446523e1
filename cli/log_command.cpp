// A whole log: every row corrected and written out, a summary on standard
// error. A file is corrected in blocks on several threads; standard input row
// by row as it arrives, so that a log still being written can be followed.
#include "commands.h"
#include "log/parallel_log.h"
#include "messages.h"

namespace kestrane::cli {
namespace {

// Where the log came from, for messages: "standard input", or the file's name.
std::string source_name(const Request& r, bool quoted) {
    if (r.log == "-")
        return "standard input";
    return quoted ? quoted_name(r.log) : r.log;
}

// The log's source and the output's sinks, with the status of a write that
// failed, reported as it failed.
class CommandPipe : public LogPipe {
public:
    CommandPipe(const Request& r, ByteSource& log, ByteSink& out, ByteSink* rejects, ByteSink& err)
        : r_(r), log_(log), out_(out), rejects_(rejects), err_(err) {}

    std::size_t read(char* buffer, std::size_t size) override { return log_.read(buffer, size); }
    bool read_failed() const override { return !log_.failure().empty(); }
    bool write(std::string& out, std::string& rejects) override {
        if (!out.empty() && !out_.write(out)) {
            status_ = report_write_failure(out_, err_, r_.output && *r_.output != "-" ? *r_.output : "");
            return false;
        }
        out.clear();
        if (rejects_ && !rejects.empty() && !rejects_->write(rejects)) {
            status_ = report_write_failure(*rejects_, err_, *r_.rejects);
            return false;
        }
        rejects.clear();
        return true;
    }
    int status() const { return status_; }

private:
    const Request& r_;
    ByteSource& log_;
    ByteSink& out_;
    ByteSink* rejects_;
    ByteSink& err_;
    int status_ = 0;
};

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
    CommandPipe pipe(r, log, out, rejects, err);
    const std::size_t threads = r.log == "-" ? 1 : r.threads != 0 ? r.threads : machine_threads();
    const LogReport report = threads > 1 ? correct_log_in_blocks(*options, {threads}, pipe)
                                         : correct_log_streaming(*options, pipe);
    if (pipe.status() != 0)
        return pipe.status();
    // A bad header stops the reading, so a read that failed came after a good one.
    if (report.failure != LogFailure::none)
        return report_error(err, source_name(r, false) + ": " + report.message, exit_usage);
    if (pipe.read_failed())
        return report_error(err, "cannot read " + source_name(r, true) + ": " + log.failure(), exit_io);
    if (!r.quiet)
        err.write(std::string(program_name) + ": " + log_summary(report) + "\n");
    return report.refused == 0 && report.malformed == 0 ? 0 : exit_refused;
}

}  // namespace kestrane::cli
