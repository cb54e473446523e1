// The page's answers as JSON: a small writer (the page parses what the module
// writes, nothing else), the form's description and a log's report.
#pragma once

#include <string>
#include <string_view>

#include "core/uncertainty.h"
#include "log/log_corrector.h"

namespace kestrane {

// Writes JSON text in order: objects, arrays, keys, strings and numbers.
class JsonWriter {
public:
    JsonWriter& begin_object() { return open('{'); }
    JsonWriter& end_object() { return close('}'); }
    JsonWriter& begin_array() { return open('['); }
    JsonWriter& end_array() { return close(']'); }
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view text);
    JsonWriter& number(long long value);
    // The shortest text that reads back as exactly value; null for one that is not finite.
    JsonWriter& number(double value);
    JsonWriter& boolean(bool value);
    const std::string& text() const { return text_; }

private:
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    void separate();

    std::string text_;
    bool first_ = true;  // nothing yet in the current object or array
    bool after_key_ = false;
};

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
