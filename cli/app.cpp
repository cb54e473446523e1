#include "app.h"

#include <optional>
#include <string>

#include "command_line.h"
#include "commands.h"

namespace kestrane::cli {
namespace {

// Checks what the options say together, and runs the command they ask for.
int run_request(const Request& request, InputSource& in, std::ostream& out, std::ostream& err) {
    const Settings& s = request.settings;
    // A file option whose value looks like an option was almost certainly meant as one.
    const std::pair<bool, const std::string*> files[] = {{request.csv, &s.csv}, {request.rejects, &s.rejects}};
    for (const auto& [given, value] : files) {
        if (given && value->size() > 1 && (*value)[0] == '-') {
            return report_error(err,
                                std::string(value == &s.csv ? "--csv" : "--rejects") +
                                    " needs a file name, not the option \"" + *value +
                                    "\" (for a file of that name, "
                                    "write ./" +
                                    *value + ")",
                                exit_usage);
        }
    }
    if (request.rejects && !request.csv)
        return report_error(err, "--rejects goes with --csv", exit_usage);
    const std::optional<UnitSelection> units = resolve_units(s, err);
    if (!units)
        return exit_usage;
    if (request.table)
        return run_table(request, *units, out, err);
    if (request.csv)
        return run_log(request, *units, in, out, err);
    return run_reading(request, *units, out, err);
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
