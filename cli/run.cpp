#include "run.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <span>

#include "command_line.h"
#include "commands.h"
#include "core/names.h"
#include "files.h"
#include "messages.h"
#include "record_file.h"

namespace kestrane::cli {
namespace {

// A file option with no name, or whose value looks like an option (which was
// almost certainly meant as one): a usage error, with the way to name such a
// file. Nothing when none is.
std::optional<int> check_file_names(const Request& r, ByteSink& err) {
    const std::pair<std::string_view, std::optional<std::string>> files[] = {
        {"--csv", r.command == Command::log ? std::optional(r.log) : std::nullopt},
        {"--rejects", r.rejects},
        {"--output", r.output},
    };
    for (const auto& [option, value] : files) {
        if (value && value->empty())
            return report_error(err, std::string(option) + " needs a file name", exit_usage);
        if (value && value->size() > 1 && (*value)[0] == '-') {
            return report_error(err,
                                std::string(option) + " needs a file name, not the option \"" + *value +
                                    "\" (for a file of that name, write ./" + *value + ")",
                                exit_usage);
        }
    }
    if (r.rejects && r.command != Command::log)
        return report_error(err, "--rejects goes with a log", exit_usage);
    if (r.rejects && *r.rejects == "-")
        return report_error(err, "--rejects needs a file name: standard output has the corrected log", exit_usage);
    return std::nullopt;
}

// One of the files a run reads or writes, as messages name it.
struct RunFile {
    std::string name;  // "--output 'out.csv'", "the log 'log.csv'", "standard output"
    std::optional<FileIdentity> identity;
    std::string path;         // for a file named on the command line that may not exist yet
    bool descriptor = false;  // a descriptor the shell opened (standard output and error, -o /dev/stdout)
};

bool same(const RunFile& a, const RunFile& b) {
    // Two descriptors the shell opened onto one file are its doing (2>&1),
    // and each is written as it was opened, never replaced.
    if (a.descriptor && b.descriptor)
        return false;
    if (a.identity && b.identity)
        return a.identity->regular && b.identity->regular && a.identity->same_file(*b.identity);
    if (a.path.empty() || b.path.empty() || a.identity || b.identity)
        return false;
    // Neither exists yet: the same name in the same folder, however the folder is reached.
    return resolved_place(a.path) == resolved_place(b.path);
}

// Two of the files a run reads and writes that are one would lose data: the
// log overwritten by its own output or rejects, however it is named or reached
// (a link, /dev/stdin, a redirection), or the rejects or standard error by
// the output, or standard error by the rejects. Checked before anything is written.
std::optional<int> check_distinct_files(const RunFile* log,
                                        const RunFile& output,
                                        const RunFile* rejects,
                                        const RunFile& error,
                                        ByteSink& err) {
    const std::pair<const RunFile*, const RunFile*> pairs[] = {
        {&output, log}, {rejects, log}, {rejects, &output}, {&output, &error}, {rejects, &error}};
    for (const auto& [written, other] : pairs) {
        if (written && other && same(*written, *other))
            return report_error(err, written->name + " is " + other->name + "; write to another file", exit_usage);
    }
    return std::nullopt;
}

RunFile named_file(std::string_view option, const std::string& path) {
    return {std::string(option) + " " + quoted_name(path), identity_of(path), path, names_descriptor(path)};
}

// Standard error written into the log would change it under the run, and a
// message saying so would too: the exit status alone tells.
bool error_is_log(const Request& r, const Streams& streams) {
    if (r.command != Command::log || r.log.empty())
        return false;
    const RunFile log{"", r.log == "-" ? streams.in.identity() : identity_of(r.log), ""};
    return same(log, RunFile{"", streams.err.identity(), ""});
}

// Opens one output file, noting on standard error when it is written in place.
std::unique_ptr<AtomicFile> create_output(const std::string& name, std::string& reason, ByteSink& err) {
    auto file = AtomicFile::create(name, reason);
    if (file && file->in_place()) {
        report_error(err,
                     "note: writing " + quoted_name(name) + " in place, as the shell's > would, since " + file->note() +
                         "; a run that fails may leave it part written",
                     0);
    } else if (file && !file->note().empty()) {
        report_error(err, "note: " + quoted_name(name) + " is replaced by a new file; it " + file->note(), 0);
    }
    return file;
}

// The files of a run, open: the log's source, and where results and rejects go.
struct OpenFiles {
    std::unique_ptr<ByteSource> log_file;
    std::unique_ptr<AtomicFile> output;
    std::unique_ptr<AtomicFile> rejects;
};

// Opens the log and the outputs, after checking that none is another; the
// exit status when one cannot be.
std::optional<int> open_files(const Request& r, Streams& streams, OpenFiles& files) {
    std::optional<RunFile> log;
    ByteSink& err = streams.err;
    if (r.command == Command::log) {
        std::string reason;
        if (r.log != "-" && !(files.log_file = open_file(r.log, reason))) {
            // A misspelt command is taken for the name of a log.
            if (!nearest_name(r.log, std::array<std::string_view, 1>{"table"}).empty())
                reason += " (did you mean the command table?)";
            return report_error(err, "cannot read " + quoted_name(r.log) + ": " + reason, exit_io);
        }
        log = RunFile{r.log == "-" ? "the log (standard input)" : "the log " + quoted_name(r.log),
                      (files.log_file ? *files.log_file : streams.in).identity(), r.log == "-" ? "" : r.log};
    }
    const bool output_file = r.output && *r.output != "-";
    const RunFile output =
        output_file ? named_file("--output", *r.output) : RunFile{"standard output", streams.out.identity(), "", true};
    std::optional<RunFile> rejects;
    if (r.rejects)
        rejects = named_file("--rejects", *r.rejects);
    const RunFile error{"standard error", streams.err.identity(), "", true};
    if (const auto usage =
            check_distinct_files(log ? &*log : nullptr, output, rejects ? &*rejects : nullptr, error, err))
        return usage;
    std::string reason;
    if (output_file && !(files.output = create_output(*r.output, reason, err)))
        return report_error(err, "cannot write " + quoted_name(*r.output) + ": " + reason, exit_io);
    if (r.rejects && !(files.rejects = create_output(*r.rejects, reason, err)))
        return report_error(err, "cannot write " + quoted_name(*r.rejects) + ": " + reason, exit_io);
    return std::nullopt;
}

int run_command(const Request& r, Streams& streams, OpenFiles& files) {
    ByteSink& out = files.output ? *files.output : streams.out;
    switch (r.command) {
        case Command::reading: return run_reading(r, out, streams.err);
        case Command::table: return run_table(r, out, streams.err);
        case Command::log:
            return run_log(r, files.log_file ? *files.log_file : streams.in, out, files.rejects.get(), streams.err);
        case Command::help: break;
    }
    return 0;
}

// The files written whole take their places when the run wrote all it had to
// write: it succeeded, or its refusals are in what it wrote (a log's rows, a
// reading in JSON or CSV, a table of refused cells).
int commit_files(const Request& r, OpenFiles& files, int status, ByteSink& err) {
    const bool wrote_all = status == 0 || (status == exit_refused && (!files.output || files.output->wrote()));
    if (!wrote_all)
        return status;
    std::string reason;
    const std::pair<AtomicFile*, const std::optional<std::string>*> outputs[] = {{files.rejects.get(), &r.rejects},
                                                                                 {files.output.get(), &r.output}};
    for (const auto& [file, name] : outputs) {
        if (file && !file->commit(reason))
            return report_error(err, "write error: " + quoted_name(**name) + ": " + reason, exit_io);
    }
    return status;
}

int run_help(const Request& r, Streams& streams) {
    if (!r.help_of.empty() && r.help_of != "table") {
        return report_error(streams.err, "no command \"" + r.help_of + "\"; help table tells of the one there is",
                            exit_usage);
    }
    return streams.out.write(help_text(r.help_of)) ? 0 : report_write_failure(streams.out, streams.err);
}

int run_request(const Request& r, Streams& streams) {
    if (r.command == Command::help)
        return run_help(r, streams);
    if (const auto usage = check_file_names(r, streams.err))
        return *usage;
    OpenFiles files;
    if (const auto status = open_files(r, streams, files))
        return *status;
    const int status = run_command(r, streams, files);
    return commit_files(r, files, status, streams.err);
}

// Holds what the command line's reading says until it is known that standard
// error is not the log.
class HeldSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        text.append(bytes);
        return true;
    }
    std::string text;
};

}  // namespace

int run_cli(const std::vector<std::string>& args, Streams& streams) {
    Request request;
    HeldSink held;
    Streams parsing{streams.in, streams.out, held};
    const std::optional<int> ended = parse_command_line(args, request, parsing);
    if (error_is_log(request, streams))
        return exit_usage;
    if (!held.text.empty())
        streams.err.write(held.text);
    std::optional<int> status_before = ended;
    if (!status_before)
        status_before = read_record_file(request, streams.err);
    int status = status_before ? *status_before : run_request(request, streams);
    // Whatever was written must have reached its place: a closed output is a
    // failure, whatever else happened.
    if (!streams.out.failure().empty() && status != exit_io)
        status = report_write_failure(streams.out, streams.err);
    if (!streams.err.failure().empty())
        status = exit_io;
    return status;
}

}  // namespace kestrane::cli
