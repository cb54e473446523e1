#include "messages.h"

#include "io.h"

namespace kestrane::cli {

int report_error(std::ostream& err, std::string_view message, int status) {
    err << program_name << ": " << message << '\n';
    return status;
}

int report_write_failure(const std::ostream& out, std::ostream& err) {
    return report_error(err, "write error: " + write_failure(out), exit_io);
}

void report_warning(std::ostream& err, std::string_view text) {
    err << program_name << ": warning: " << text << '\n';
}

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace kestrane::cli
