// The page's answers as JSON: the form's description and a log's report.
#pragma once

#include <string>
#include <string_view>

#include "core/uncertainty.h"
#include "log/log_corrector.h"
#include "reading/json_writer.h"

namespace kestrane {

// The form as the page builds it: {"caption", "heading", "credit", "groups",
// "execute", "fields": [{"label", "option", "default", "unit"}], "results":
// [{"label", "key", "unit"}], "units": [{"name", "label", "option",
// "entries": [{"text", "short", "names", "dialog"}]}]}.
std::string form_json();

// The uncertainty of a reading, every number as the command line's budget
// writes it: {"expanded": [gas, pressure], "standard": [gas, pressure],
// "budget": [{"u", "sensitivity", "contribution", "share"}] of the Calculated
// Gas (% Vol), in field order}.
void write_uncertainty(JsonWriter& json, const CorrectionUncertainty& u, bool decimal_comma);

// {"rows", "corrected", "refused", "malformed", "blank", "warned", "summary"}, or
// {"failure": message} for a log whose header would not do.
std::string log_report_json(const LogReport& report);

}  // namespace kestrane
