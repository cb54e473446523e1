#include "log_pipe.h"

#include <vector>

namespace kestrane {

LogReport correct_log_streaming(const LogOptions& options, LogPipe& pipe) {
    LogCorrector corrector(options);
    std::vector<char> buffer(log_read_size);
    for (;;) {
        const std::size_t n = pipe.read(buffer.data(), buffer.size());
        if (n == 0)
            break;
        corrector.push(std::string_view(buffer.data(), n));
        if (corrector.failed() || !pipe.write(corrector.output(), corrector.rejects()))
            return corrector.report();
    }
    if (!pipe.read_failed()) {
        corrector.finish();
        pipe.write(corrector.output(), corrector.rejects());
    }
    return corrector.report();
}

}  // namespace kestrane
