// The record's file: read whole, its fields under those the options give.
#include "record_file.h"
#include "files.h"
#include "messages.h"

namespace kestrane::cli {
namespace {

// A record is a few short lines: a file much longer is not one.
constexpr std::size_t largest_record_file = std::size_t{1} << 16;

}  // namespace

std::optional<int> read_record_file(Request& r, ByteSink& err) {
    if (!r.record_file)
        return std::nullopt;
    const std::string name = "--record " + quoted_name(*r.record_file);
    std::string reason;
    const std::unique_ptr<ByteSource> file = open_file(*r.record_file, reason);
    if (!file)
        return report_error(err, "cannot read " + quoted_name(*r.record_file) + ": " + reason, exit_io);
    std::string text(largest_record_file + 1, '\0');
    std::size_t size = 0;
    while (size < text.size()) {
        const std::size_t n = file->read(text.data() + size, text.size() - size);
        if (n == 0)
            break;
        size += n;
    }
    if (!file->failure().empty())
        return report_error(err, "cannot read " + quoted_name(*r.record_file) + ": " + file->failure(), exit_io);
    if (size > largest_record_file) {
        return report_error(err,
                            name + " is longer than " + std::to_string(largest_record_file) +
                                " bytes: a record file is a few lines of FIELD = TEXT",
                            exit_usage);
    }
    text.resize(size);
    Record from_file;
    if (const auto problem = read_record_text(text, from_file))
        return report_error(err, name + ": " + *problem, exit_usage);
    for (std::size_t f = 0; f < record_field_count; ++f) {
        if (!r.record.texts[f])
            r.record.texts[f] = std::move(from_file.texts[f]);
    }
    return std::nullopt;
}

}  // namespace kestrane::cli
