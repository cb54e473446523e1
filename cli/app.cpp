#include "app.h"

#include <optional>
#include <string>

#include "command_line.h"
#include "commands.h"

namespace kestrane::cli {
namespace {

// A file option with no name, or whose value looks like an option (which was
// almost certainly meant as one): a usage error, with the way to name such a
// file. Nothing when none is.
std::optional<int> check_file_names(const Request& request, std::ostream& err) {
    const Settings& s = request.settings;
    const std::pair<std::string_view, const std::string*> files[] = {
        {request.csv ? "--csv" : "", &s.csv},
        {request.rejects ? "--rejects" : "", &s.rejects},
        {request.output ? "--output" : "", &s.output},
    };
    for (const auto& [option, value] : files) {
        if (!option.empty() && value->empty())
            return report_error(err, std::string(option) + " needs a file name", exit_usage);
        if (!option.empty() && value->size() > 1 && (*value)[0] == '-') {
            return report_error(err,
                                std::string(option) + " needs a file name, not the option \"" + *value +
                                    "\" (for a file of that name, write ./" + *value + ")",
                                exit_usage);
        }
    }
    if (request.rejects && !request.csv)
        return report_error(err, "--rejects goes with a log", exit_usage);
    return std::nullopt;
}

// Two of the files a run reads and writes that are one would lose data: the
// log overwritten by its own output or rejects, or the rejects by the output.
std::optional<int> check_distinct_files(const Request& request, std::ostream& err) {
    const Settings& s = request.settings;
    const bool log_file = request.csv && s.csv != "-";
    const bool output_file = request.output && s.output != "-";
    struct Pair {
        bool both_given;
        std::string_view option;
        const std::string* written;
        std::string_view other_name;
        const std::string* other;
    };
    const Pair pairs[] = {
        {log_file && output_file, "--output", &s.output, "the log", &s.csv},
        {log_file && request.rejects, "--rejects", &s.rejects, "the log", &s.csv},
        {output_file && request.rejects, "--rejects", &s.rejects, "the file of --output", &s.output},
    };
    for (const Pair& p : pairs) {
        if (p.both_given && same_file(*p.written, *p.other)) {
            return report_error(err,
                                std::string(p.option) + " " + quoted_name(*p.written) + " is " +
                                    std::string(p.other_name) + " " + quoted_name(*p.other) + "; write to another file",
                                exit_usage);
        }
    }
    return std::nullopt;
}

// The delimiter given, if any; a usage error for one that is not known.
std::optional<int> resolve_delimiter(const Request& request, std::optional<char>& delimiter, std::ostream& err) {
    if (!request.delimiter)
        return std::nullopt;
    delimiter = delimiter_from_name(request.settings.delimiter);
    if (delimiter)
        return std::nullopt;
    return report_error(err,
                        "unknown delimiter \"" + request.settings.delimiter + "\"; use " + std::string(delimiter_names),
                        exit_usage);
}

// Runs the command the options ask for, writing its results to out.
int run_command(const Request& request,
                UnitSelection units,
                std::optional<char> delimiter,
                InputSource& in,
                std::ostream& out,
                std::ostream& err) {
    if (request.table)
        return run_table(request, units, delimiter, out, err);
    if (request.csv)
        return run_log(request, units, delimiter, in, out, err);
    return run_reading(request, units, delimiter, out, err);
}

// Runs the command with its results going to the file of --output, which is
// replaced only when the run has written all it had to write: a run that
// succeeded, or one whose refusals are in what it wrote (a log's rows, a
// reading in JSON or CSV).
int run_into_file(const Request& request,
                  UnitSelection units,
                  std::optional<char> delimiter,
                  InputSource& in,
                  std::ostream& err) {
    const std::string& path = request.settings.output;
    std::string reason;
    const std::unique_ptr<AtomicFile> file = AtomicFile::create(path, reason);
    if (!file)
        return report_error(err, "cannot write " + quoted_name(path) + ": " + reason, exit_io);
    int status = 0;
    bool wrote = false;
    {
        std::ostream out(&file->buffer());
        status = run_command(request, units, delimiter, in, out, err);
        wrote = file->buffer().wrote_anything();
        if (status != exit_io && !out.flush())
            status = report_error(err, "write error: " + quoted_name(path) + ": " + write_failure(out), exit_io);
    }
    if (status == 0 || (status == exit_refused && wrote)) {
        if (!file->commit(reason))
            status = report_error(err, "write error: " + quoted_name(path) + ": " + reason, exit_io);
    }
    return status;
}

// Checks what the options say together, and runs the command they ask for.
int run_request(const Request& request, InputSource& in, std::ostream& out, std::ostream& err) {
    if (const auto usage = check_file_names(request, err))
        return *usage;
    const std::optional<UnitSelection> units = resolve_units(request.settings, err);
    if (!units)
        return exit_usage;
    std::optional<char> delimiter;
    if (const auto usage = resolve_delimiter(request, delimiter, err))
        return *usage;
    if (const auto usage = check_distinct_files(request, err))
        return *usage;
    if (request.output && request.settings.output != "-")
        return run_into_file(request, *units, delimiter, in, err);
    return run_command(request, *units, delimiter, in, out, err);
}

}  // namespace

int run_cli(int argc, const char* const* argv, InputSource& in, std::ostream& out, std::ostream& err) {
    Request request;
    const std::optional<int> ended = parse_command_line(argc, argv, request, out, err);
    int status = ended ? *ended : run_request(request, in, out, err);
    // Whatever was written must have reached its place: a full disk or a closed
    // output is a failure, whatever else happened.
    if (!out.flush() && status != exit_io)
        status = report_write_failure(out, err);
    if (!err.flush())
        status = exit_io;
    return status;
}

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    StreamSource source(in);
    return run_cli(argc, argv, source, out, err);
}

}  // namespace kestrane::cli
