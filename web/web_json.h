// The page's answers as JSON: the form's description and a log's report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "log/log_corrector.h"

namespace kestrane {

// The form as the page builds it: {"caption", "heading", "credit", "groups",
// "execute", "fields": [{"label", "option", "default", "unit"}], "results":
// [{"label", "key", "unit"}], "units": [{"name", "label", "option",
// "entries": [{"text", "short", "names", "dialog"}]}]}.
std::string form_json();

// {"rows", "corrected", "refused", "malformed", "summary", "counts"}, or
// {"failure": message} for a log whose header would not do. "counts" are every
// count of the report, in the order add_log_counts reads them.
std::string log_report_json(const LogReport& report);

// Adds counts, as a report's "counts" gives them, to a report: the report of
// a log corrected in two parts, the second part's counts added to the first's.
// False, with nothing added, for a list of another length.
bool add_log_counts(LogReport& report, const std::uint32_t* counts, std::size_t size);

}  // namespace kestrane
