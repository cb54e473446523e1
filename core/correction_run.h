// One correction run: six field texts and three unit selections in, one error
// message or four result texts out. Touches no window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "fields.h"
#include "number_text.h"
#include "results.h"
#include "units.h"
#include "warnings.h"

namespace kestrane {

// What one run gives: exactly one message, or four result texts.
class RunOutcome {
public:
    explicit RunOutcome(Field refused) : value_(refused) {}
    explicit RunOutcome(ResultTexts texts) : value_(std::move(texts)) {}

    bool refused() const { return std::holds_alternative<Field>(value_); }
    // The field that ended the run; only when refused().
    Field refused_field() const { return std::get<Field>(value_); }
    // The message of the refused field; only when refused().
    std::string_view message() const { return field_messages[static_cast<std::size_t>(refused_field())]; }
    // The four texts; only when !refused().
    const ResultTexts& texts() const { return std::get<ResultTexts>(value_); }

private:
    std::variant<Field, ResultTexts> value_;
};

// The six whole field texts, in field order.
using FieldTexts = std::array<std::string_view, field_count>;

// Scans and checks the fields in order (the first refused field ends the run,
// and no later field is scanned), brings the values into internal units,
// computes, and formats the four results. The selection is the dialog's lists':
// an index past their entries, or -1, is the internal unit.
RunOutcome run_correction(const FieldTexts& texts, UnitSelection selection);

// The scan and checks of a run alone: the six values in field order, or the
// first field refused (no later field is scanned). run_correction is this, then
// compute_correction and format_results.
std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts);

// The length of the number at the start of each field's text that was scanned
// (number_prefix_length), in field order; the fields after a refused one were not.
using ScanLengths = std::array<std::size_t, field_count>;

// As read_fields, also giving the lengths of the numbers it scanned.
std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts, ScanLengths& lengths);

// The checks of a run on values already read: the first field, in field
// order, whose value its check refuses, or nothing when all pass. The bounds
// are those of read_fields, compared in the user's units.
std::optional<Field> refused_field(const CorrectionInputs& values);

// The computation alone, on values in the units of selection (the whole unit
// tables) that passed their checks.
CorrectionResults compute_correction(CorrectionInputs inputs, UnitSelection selection);

// compute_correction, also giving the warnings of the values and results.
CorrectionResults compute_correction(CorrectionInputs inputs, UnitSelection selection, CorrectionWarnings& warnings);

// The four texts of computed results.
ResultTexts format_results(const CorrectionResults& results);

}  // namespace kestrane
