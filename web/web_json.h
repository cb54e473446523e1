// The page's answers as JSON: the form's description and a log's report.
#pragma once

#include <string>

#include "log/log_corrector.h"

namespace kestrane {

// The form as the page builds it: {"caption", "heading", "credit", "groups",
// "execute", "fields": [{"label", "option", "default", "unit"}], "results":
// [{"label", "key", "unit"}], "units": [{"name", "label", "option",
// "entries": [{"text", "short", "names", "dialog"}]}]}.
std::string form_json();

// {"rows", "corrected", "refused", "malformed", "summary"}, or {"failure":
// message} for a log whose header would not do.
std::string log_report_json(const LogReport& report);

}  // namespace kestrane
