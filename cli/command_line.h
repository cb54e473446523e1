// The command line of kestrane-cli: its options, its one command (table),
// their help in groups, and what a parse asks for.
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <ostream>
#include <string>

#include "core/correction_run.h"
#include "reading.h"
#include "vocabulary.h"

namespace kestrane::cli {

// The one command; without it kestrane-cli corrects a reading or a log.
inline constexpr std::string_view table_command = "table";

// Everything the command line can set, with the dialog's defaults.
struct Settings {
    std::array<std::string, field_count> fields = default_field_values();
    std::array<std::string, 3> units = {std::string(temperature_short_names[0]), std::string(pressure_short_names[0]),
                                        std::string(distance_short_names[0])};
    bool lenient = false;
    bool decimal_comma = false;
    std::string csv;  // the log, given with --csv or alone
    std::string rejects;
    std::string delimiter;
    std::string rows;
    std::string columns;
    std::string result;
    std::string format;        // of a single reading
    std::string table_format;  // of a table
    std::string output;
    bool quiet = false;

    ReadingMode mode() const { return lenient ? ReadingMode::lenient : ReadingMode::strict; }
};

// What the user asked for: the settings, and which options were given.
struct Request {
    Settings settings;
    std::bitset<field_count> fields_given;
    bool csv = false;  // a log, by --csv or alone
    bool rejects = false;
    bool delimiter = false;
    bool format = false;  // a single reading's --format
    bool output = false;
    bool table = false;
};

// Parses argv (argv[0] the program's name) into request. When the parse ends
// the run itself (a usage error, --help, --version) it writes what it has to
// say to out or err and gives the exit status; otherwise nothing.
std::optional<int> parse_command_line(int argc,
                                      const char* const* argv,
                                      Request& request,
                                      std::ostream& out,
                                      std::ostream& err);

// A field's option as the user types it: "--barometric-pressure".
std::string field_option(Field field);

// The unit selection the settings name; nothing, with the reason printed,
// when a unit name is unknown.
std::optional<UnitSelection> resolve_units(const Settings& settings, std::ostream& err);

// The dialog's defaults are in the first unit of each list: a field left at
// its default under another unit would be read in a unit it was never meant
// in. False, with the options to give printed, when that would happen. Fields
// in `given` count as given (a table's swept ones); altitude is spared, as its
// default 0 is the same in feet and metres.
bool defaults_fit_units(const Request& request, UnitSelection units, std::bitset<field_count> given, std::ostream& err);

}  // namespace kestrane::cli
