// One reading from the options: its four results, or the message that refused it.
#include "commands.h"
#include "messages.h"

namespace kestrane::cli {

int run_reading(const Request& request, UnitSelection units, std::ostream& out, std::ostream& err) {
    if (!defaults_fit_units(request, units, {}, err))
        return exit_usage;
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = request.settings.fields[f];
    const Correction c = correct(texts, units, request.settings.mode());
    if (!c.corrected()) {
        err << refusal_message(c, texts) << '\n';
        return exit_refused;
    }
    const ResultTexts t = c.texts();
    out << calculated_gas_pct_label << ": " << t.calculated_gas_pct << '\n'
        << calculated_gas_pressure_label << ": " << t.calculated_gas_pressure << '\n'
        << vapor_pressure_pct_label << ": " << t.vapor_pressure_pct << '\n'
        << corrected_barometer_label << ": " << t.corrected_barometer << '\n';
    if (!out.flush())
        return report_write_failure(out, err);
    for (const std::string_view text : warning_texts(c.warnings))
        report_warning(err, text);
    return 0;
}

}  // namespace kestrane::cli
