#include "messages.h"

namespace kestrane::cli {

int report_error(ByteSink& err, std::string_view message, int status) {
    std::string line(program_name);
    line.append(": ").append(message) += '\n';
    err.write(line);
    return status;
}

int report_write_failure(const ByteSink& out, ByteSink& err, std::string_view name) {
    std::string message = "write error: ";
    if (!name.empty())
        message.append(quoted_name(name)).append(": ");
    return report_error(err, message + out.failure(), exit_io);
}

void report_warning(ByteSink& err, std::string_view text) {
    std::string line(program_name);
    line.append(": warning: ").append(text) += '\n';
    err.write(line);
}

std::string quoted_name(std::string_view name) {
    return "'" + std::string(name) + "'";
}

}  // namespace kestrane::cli
