// How the command line, a log and the page read the six field texts of one
// reading: strictly by default, or exactly as the dialog does, with a decimal
// point or a decimal comma. Shared by every reading they make, so that one
// text gets one answer everywhere.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "correction_run.h"
#include "uncertainty.h"

namespace kestrane {

enum class ReadingMode {
    // A text is read only when, apart from the blanks around it, it is one
    // number (a "%" may follow the target gas and the relative humidity), so
    // that "20,95" is never silently 20.
    strict,
    // The number at the start of a text, the rest ignored: the dialog's reading.
    lenient,
};

// How a reading is asked for besides its texts and units.
struct ReadingRules {
    ReadingMode mode = ReadingMode::strict;
    // A comma is the decimal mark, and a point is not.
    bool decimal_comma = false;
};

// Whether text is, by the strict reading, one number for field.
bool is_whole_number(Field field, std::string_view text);
// The same, of a text written in the rules' decimal mark.
bool is_whole_number(Field field, std::string_view text, const ReadingRules& rules);

// A field's default text as a user of the rules' mark would write it: "30,00"
// with a decimal comma, so that a default is read as the user's own texts are.
std::string default_text(Field field, const ReadingRules& rules);

// text with its points and commas swapped: how a number written with a decimal
// comma ("20,95") reads as one with a decimal point, and the other way round.
std::string swap_decimal_marks(std::string_view text);

// A number's text, written with a decimal point, in the mark the rules read
// with: "20.64" becomes "20,64" with a decimal comma. Every output of numbers
// applies the mark here, once, to what the formatters wrote.
void apply_mark(std::string& text, const ReadingRules& rules);

// The decimal mark the rules read with: '.' or ','.
constexpr char decimal_mark(const ReadingRules& rules) {
    return rules.decimal_comma ? ',' : '.';
}

// The words a refusal adds when the text would be a number written with the
// other decimal mark, in the words of the front end that shows it: for_comma
// when a comma would be one ("for a decimal comma, give --decimal-comma"), and
// for_point, followed by the text with its marks swapped in quotes, when a point would.
struct MarkHints {
    std::string_view for_comma;
    std::string_view for_point;
};

// The refusal of a text that is not a number, with a hint when it would be one
// written the other way:
// Error: Target Gas (% Vol) is not a number: "20,95" (for a decimal comma, give --decimal-comma)
std::string not_a_number_message(Field field, std::string_view text, const ReadingRules& rules, const MarkHints& hints);

// The value a field's text reads as in the rules' decimal mark, before any
// check of its range; nothing for a text with no number at its start.
std::optional<double> value_read(std::string_view text, const ReadingRules& rules);

// What one reading makes of its texts.
struct Correction {
    enum class Status { corrected, out_of_range, not_a_number };
    Status status = Status::corrected;
    Field field = Field::target_gas;  // the refused field, unless corrected
    CorrectionInputs inputs;          // the values read, when corrected
    CorrectionResults values;         // when corrected
    CorrectionWarnings warnings;      // when corrected

    bool corrected() const { return status == Status::corrected; }
    // The four texts of the results, as the dialog shows them.
    ResultTexts texts() const { return format_results(values); }
};

// Reads the texts in field order, the first field that is refused (out of its
// range or, read strictly, not a number) ending the reading, and corrects them
// in the units of the whole unit tables. Every text that both readings accept
// gives the dialog's results exactly.
Correction correct(const FieldTexts& texts, UnitSelection units, ReadingRules rules);

// The message of a refused reading: the dialog's range message, or not_a_number_message.
std::string refusal_message(const Correction& correction,
                            const FieldTexts& texts,
                            const ReadingRules& rules,
                            const MarkHints& hints);

// The label of an input's uncertainty in messages: "Standard Uncertainty of Barometric Pressure".
std::string uncertainty_label(Field field);

// What goes before a field's option name to name its standard uncertainty
// ("u-barometric-pressure", "u-barometer"), on the command line and in the page's address.
inline constexpr std::string_view uncertainty_option_prefix = "u-";
// And what goes before it to name its degrees of freedom ("dof-gas").
inline constexpr std::string_view degrees_of_freedom_option_prefix = "dof-";

// The names of the two ways of reading besides the default, as the command
// line's flags and the page's address spell them.
inline constexpr std::string_view lenient_option = "lenient";
inline constexpr std::string_view decimal_comma_option = "decimal-comma";

// The texts of inputs' uncertainties, by field; nullopt where none is given.
using UncertaintyTexts = std::array<std::optional<std::string_view>, field_count>;

// What separates an uncertainty's value from its distribution's shape: "0.05:rectangular".
inline constexpr char shape_separator = ':';

// The shapes an uncertainty's text may name, for messages: "normal, rectangular, triangular or arcsine".
std::string shape_names(std::string_view last_separator);

// Uncertainties read from their texts over `values`, each text strictly
// whatever the reading's mode: VALUE, or VALUE:SHAPE with SHAPE one of
// shape_table's names (in any case). VALUE is one number, not below 0, in the
// field's own unit (a "%" may follow that of a percentage): a standard
// uncertainty alone or with "normal", the half-width of the shape otherwise.
// A field with no text keeps its uncertainty, and every field its degrees of
// freedom. The values, or the message of the first text refused:
// Error: Standard Uncertainty of Altitude is below 0: "-10"
struct UncertaintiesRead {
    UncertaintyInputs values;
    std::optional<std::string> refused;
};
UncertaintiesRead read_uncertainties(const UncertaintyTexts& texts,
                                     const UncertaintyInputs& values,
                                     const ReadingRules& rules,
                                     const MarkHints& hints);

// A quantity read as the fields and their uncertainties are, besides them:
// its label in messages, and whether it is a percentage (a "%" may follow its number).
struct QuantityName {
    std::string_view label;
    bool percent = false;
};

// A standard uncertainty's text, VALUE[:SHAPE], read as read_uncertainties
// reads an input's, under the quantity's label; the message that refuses it, or nothing.
std::optional<std::string> read_uncertainty_text(const QuantityName& name,
                                                 std::string_view text,
                                                 const ReadingRules& rules,
                                                 const MarkHints& hints,
                                                 InputUncertainty& read);

// A text that is one finite number, read strictly whatever the reading's mode
// in the rules' decimal mark, to double precision; the message that refuses it:
// Error: Tolerance (± % Vol) is not a number: "0,1" (for a decimal comma, give --decimal-comma)
std::optional<std::string> read_number_text(const QuantityName& name,
                                            std::string_view text,
                                            const ReadingRules& rules,
                                            const MarkHints& hints,
                                            double& value);

}  // namespace kestrane
