// The page's narrow way into the core: the texts the form is built from, and
// one correction run on six field texts and three unit indices. Plain C
// functions over the module's memory, so the page's loader needs no generated glue.
#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/correction_run.h"
#include "core/fields.h"
#include "core/number_text.h"
#include "core/units.h"

#define KESTRANE_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

using namespace kestrane;

// The results' labels in the order the form shows them.
constexpr std::array<std::string_view, result_count> result_labels = [] {
    std::array<std::string_view, result_count> labels{};
    for (std::size_t k = 0; k < result_count; ++k)
        labels[k] = result_table[k].label;
    return labels;
}();

// The kinds of form text the page asks for; the loader numbers them the same way.
enum class FormText : int {
    field_label,
    default_text,
    result_label,
    temperature_unit,
    pressure_unit,
    distance_unit,
};

// What passes between the page and the core: the six field texts going in,
// and the texts coming out (a form text, or the outcome of the last run).
struct Exchange {
    std::array<std::string, field_count> fields;
    std::array<std::string, result_count> outputs;
    std::string form_text;
};

Exchange& exchange() {
    static Exchange e;
    return e;
}

template <std::size_t N>
std::optional<std::string_view> entry(const std::array<std::string_view, N>& table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N)
        return std::nullopt;
    return table[static_cast<std::size_t>(index)];
}

std::optional<std::string> form_text(FormText kind, int index) {
    std::optional<std::string_view> text;
    switch (kind) {
        case FormText::field_label: text = entry(field_labels, index); break;
        case FormText::result_label: text = entry(result_labels, index); break;
        case FormText::temperature_unit: text = entry(temperature_unit_texts, index); break;
        case FormText::pressure_unit: text = entry(pressure_unit_texts, index); break;
        case FormText::distance_unit: text = entry(distance_unit_texts, index); break;
        case FormText::default_text:
            if (index < 0 || static_cast<std::size_t>(index) >= field_count)
                return std::nullopt;
            return default_text(static_cast<Field>(index));
    }
    if (!text)
        return std::nullopt;
    return std::string(*text);
}

}  // namespace

// A text of the form, NUL-terminated: kind is a FormText, index its position
// in that list. Null past the end of the list, so the page can count entries.
KESTRANE_EXPORT(kestrane_form_text) const char* kestrane_form_text(int kind, int index) {
    std::optional<std::string> text = form_text(static_cast<FormText>(kind), index);
    if (!text)
        return nullptr;
    exchange().form_text = std::move(*text);
    return exchange().form_text.c_str();
}

// Room for length bytes of the text of input field `field` (0 to 5, in field
// order); the page writes the field's UTF-8 text there before a run. Null for
// a field that does not exist.
KESTRANE_EXPORT(kestrane_field_buffer) char* kestrane_field_buffer(int field, int length) {
    if (field < 0 || static_cast<std::size_t>(field) >= field_count || length < 0)
        return nullptr;
    std::string& text = exchange().fields[static_cast<std::size_t>(field)];
    text.assign(static_cast<std::size_t>(length), '\0');
    return text.data();
}

// The number a field's text holds as the run reads it, or NaN when it holds none.
KESTRANE_EXPORT(kestrane_field_value) double kestrane_field_value(int field) {
    if (field < 0 || static_cast<std::size_t>(field) >= field_count)
        return std::numeric_limits<double>::quiet_NaN();
    return scan_field(exchange().fields[static_cast<std::size_t>(field)])
        .value_or(std::numeric_limits<double>::quiet_NaN());
}

// One correction run on the six field texts and the three list indices.
// Returns -1 when it gave four results (outputs 0 to 3, in the order the form
// shows them), or the index of the refused field, whose message is output 0.
KESTRANE_EXPORT(kestrane_run) int kestrane_run(int temperature_unit, int pressure_unit, int distance_unit) {
    Exchange& e = exchange();
    FieldTexts texts;
    for (std::size_t i = 0; i < field_count; ++i)
        texts[i] = e.fields[i];
    const RunOutcome outcome = run_correction(texts, UnitSelection{temperature_unit, pressure_unit, distance_unit});
    if (outcome.refused()) {
        e.outputs = {std::string(outcome.message()), {}, {}, {}};
        return static_cast<int>(outcome.refused_field());
    }
    for (std::size_t k = 0; k < result_count; ++k)
        e.outputs[k] = outcome.texts().*result_table[k].text;
    return -1;
}

// Output `index` of the last run, NUL-terminated; null past the last one.
KESTRANE_EXPORT(kestrane_output) const char* kestrane_output(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= result_count)
        return nullptr;
    return exchange().outputs[static_cast<std::size_t>(index)].c_str();
}
