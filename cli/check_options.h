// The options of the analyzer's check and of the record a reading is filed
// with, and what a parse makes of them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "request.h"

namespace CLI {
class App;
}  // namespace CLI

namespace kestrane::cli {

// What the check's and the record's options hold until the parse has ended.
struct CheckOptionTexts {
    std::array<std::string, record_field_count> record;
};

void add_check_options(CLI::App& app, Request& r, std::string_view group);
void add_record_options(CLI::App& app, Request& r, CheckOptionTexts& texts, std::string_view group);

// Puts what was given into the request; the usage error of options that do
// not go together or with the command (a check's settings without its
// reading, a reading without its tolerance, a record's text of two lines).
std::optional<std::string> finish_check_options(Request& r, const CLI::App& app, const CheckOptionTexts& texts);

}  // namespace kestrane::cli
