// The texts of an analyzer's check, shared by the text and the JSON of a
// reading and by a log's cells.
#include "core/certificate_text.h"
#include "core/number_text.h"
#include "reading_text.h"

namespace kestrane {

std::string probability_text(double probability) {
    std::string text = format_value(probability * 100.0, "%.1f");
    // Certainty is stated only when it is exact, either way.
    if (probability < 1.0 && text == "100.0")
        text = "99.9";
    else if (probability > 0.0 && text == "0.0")
        text = "0.1";
    return text + " %";
}

CheckTexts check_texts(const ReadingQuery& query, const AnalyzerCheck& check, CheckInput reading) {
    CheckTexts texts;
    texts.reading = trim_blanks(*query.check[reading]);
    texts.expanded = certificate_text(check.expanded_uncertainty).text;
    texts.error = value_to_uncertainty_text(check.error, texts.expanded);
    UncertaintyResult stated;
    stated.coverage_factor = check.coverage_factor;
    texts.coverage = coverage_text(stated, query.coverage_probability);
    texts.tolerance = trim_blanks(*query.check[CheckInput::tolerance]);
    texts.probability = probability_text(check.probability_of_conformity);
    return texts;
}

std::string check_line(const ReadingQuery& query,
                       const AnalyzerCheck& check,
                       CheckInput reading,
                       const ReadingRules& rules) {
    CheckTexts t = check_texts(query, check, reading);
    for (std::string* number : {&t.error, &t.expanded, &t.coverage, &t.probability})
        apply_mark(*number, rules);
    return std::string(reading == CheckInput::as_left ? as_left_words : as_found_words) + t.reading + "; error " +
           t.error + " (\u00b1 " + t.expanded + ", " + t.coverage + "); tolerance \u00b1 " + t.tolerance + ": " +
           std::string(decision_word(check.pass)) + ", " + std::string(info(query.check.rule).words) +
           "; probability of conformity " + t.probability;
}

}  // namespace kestrane
