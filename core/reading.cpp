#include "reading.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "names.h"

namespace kestrane {
namespace {

// Whether a text whose number at the start is `length` long holds nothing else
// but blanks, and a "%" among them after the number of a percentage.
bool only_number(bool percent, std::string_view text, std::size_t length) {
    if (length == text.size() || length == 0)
        return length != 0;
    std::string_view rest = trim_blanks(text.substr(length));
    if (percent && !rest.empty() && rest.front() == '%')
        rest = trim_blanks(rest.substr(1));
    return rest.empty();
}

bool is_percent(Field field) {
    return info(field).unit == FieldUnit::percent;
}

// Each byte with the point and the comma swapped, as a table: a log swaps
// every byte of millions of rows.
struct SwappedMarks {
    std::array<char, 256> of{};
    constexpr SwappedMarks() {
        for (std::size_t c = 0; c < of.size(); ++c)
            of[c] = static_cast<char>(c);
        of['.'] = ',';
        of[','] = '.';
    }
};
constexpr SwappedMarks decimal_marks_swapped;

Correction correct_as_written(const FieldTexts& texts, UnitSelection units, ReadingMode mode) {
    Correction c;
    ScanLengths lengths{};
    const auto read = read_fields(texts, lengths);
    const Field* refused = std::get_if<Field>(&read);
    // The dialog's reading stops at its first refused field. Read strictly, a
    // field up to that one that is not a number is refused first, for that.
    const std::size_t scanned = refused ? static_cast<std::size_t>(*refused) + 1 : field_count;
    if (mode == ReadingMode::strict) {
#pragma GCC unroll 6
        for (std::size_t f = 0; f < scanned; ++f) {
            // Most texts are the number whole; only the others are looked at again.
            const bool whole = lengths[f] != 0 && lengths[f] == texts[f].size();
            if (!whole && !only_number(is_percent(all_fields[f]), texts[f], lengths[f])) {
                c.status = Correction::Status::not_a_number;
                c.field = all_fields[f];
                return c;
            }
        }
    }
    if (refused) {
        c.status = Correction::Status::out_of_range;
        c.field = *refused;
        return c;
    }
    c.inputs = std::get<CorrectionInputs>(read);
    c.values = compute_correction(c.inputs, units, c.warnings);
    return c;
}

}  // namespace

bool is_whole_number(Field field, std::string_view text) {
    return only_number(is_percent(field), text, number_prefix_length(text));
}

bool is_whole_number(Field field, std::string_view text, const ReadingRules& rules) {
    return is_whole_number(field, rules.decimal_comma ? std::string_view(swap_decimal_marks(text)) : text);
}

std::string default_text(Field field, const ReadingRules& rules) {
    return rules.decimal_comma ? swap_decimal_marks(default_text(field)) : default_text(field);
}

std::string swap_decimal_marks(std::string_view text) {
    std::string swapped(text);
    for (char& c : swapped)
        c = decimal_marks_swapped.of[static_cast<unsigned char>(c)];
    return swapped;
}

void apply_mark(std::string& text, const ReadingRules& rules) {
    if (rules.decimal_comma)
        std::replace(text.begin(), text.end(), '.', ',');
}

namespace {

// The refusal of a text that is not a number, under a label (the field's, or
// its uncertainty's, or another quantity's). The hint about the decimal mark
// looks at number, the part of the text that should be one.
std::string not_a_number(std::string_view label,
                         bool percent,
                         std::string_view text,
                         std::string_view number,
                         const ReadingRules& rules,
                         const MarkHints& hints) {
    const bool decimal_comma = rules.decimal_comma;
    std::string message = "Error: ";
    message.append(label).append(" is not a number: \"").append(text).append("\"");
    // A number written with the other decimal mark is the commonest slip of
    // all: a log from a spreadsheet in another language.
    const auto whole = [percent](std::string_view t) { return only_number(percent, t, number_prefix_length(t)); };
    if (!decimal_comma && whole(swap_decimal_marks(number)))
        message.append(" (").append(hints.for_comma).append(")");
    else if (decimal_comma && whole(number))
        message.append(" (").append(hints.for_point).append("\"").append(swap_decimal_marks(text)).append("\")");
    return message;
}

}  // namespace

std::string not_a_number_message(Field field, std::string_view text, const ReadingRules& rules, const MarkHints& hints) {
    return not_a_number(info(field).label, is_percent(field), text, text, rules, hints);
}

std::optional<double> value_read(std::string_view text, const ReadingRules& rules) {
    return rules.decimal_comma ? scan_field(swap_decimal_marks(text)) : scan_field(text);
}

Correction correct(const FieldTexts& texts, UnitSelection units, ReadingRules rules) {
    if (!rules.decimal_comma)
        return correct_as_written(texts, units, rules.mode);
    // Swapped, a decimal comma is the point the scan reads, and a point a
    // character that ends the number (refused when read strictly). The six
    // texts share one buffer, on the stack unless they are long: a log has
    // millions of rows.
    std::size_t total = 0;
    for (const std::string_view text : texts)
        total += text.size();
    char small[256];
    std::string large;
    if (total > sizeof small)
        large.resize(total);
    FieldTexts as_points;
    char* out = total > sizeof small ? large.data() : small;
    for (std::size_t f = 0; f < field_count; ++f) {
        as_points[f] = std::string_view(out, texts[f].size());
        for (const char c : texts[f])
            *out++ = decimal_marks_swapped.of[static_cast<unsigned char>(c)];
    }
    return correct_as_written(as_points, units, rules.mode);
}

std::string refusal_message(const Correction& correction,
                            const FieldTexts& texts,
                            const ReadingRules& rules,
                            const MarkHints& hints) {
    if (correction.status == Correction::Status::not_a_number) {
        return not_a_number_message(correction.field, texts[static_cast<std::size_t>(correction.field)], rules, hints);
    }
    return std::string(info(correction.field).message);
}

std::string uncertainty_label(Field field) {
    return "Standard Uncertainty of " + std::string(info(field).label);
}

std::string shape_names(std::string_view last_separator) {
    std::string names;
    for (std::size_t s = 0; s < shape_count; ++s)
        names.append(s == 0 ? "" : s + 1 == shape_count ? last_separator : ", ").append(shape_table[s].name);
    return names;
}

namespace {

// The shape a text names, in any case, blanks around it ignored.
std::optional<Shape> shape_named(std::string_view name) {
    for (const ShapeInfo& shape : shape_table) {
        if (same_ignoring_case(trim_blanks(name), shape.name))
            return shape.shape;
    }
    return std::nullopt;
}

// One uncertainty's text read over `read`, or the message that refuses it;
// label() names the uncertainty, made only when a message needs it (a log
// reads these on every row).
template <class Label>
std::optional<std::string> read_uncertainty_as(const Label& label,
                                               bool percent,
                                               std::string_view text,
                                               const ReadingRules& rules,
                                               const MarkHints& hints,
                                               InputUncertainty& read) {
    const std::size_t separator = text.find(shape_separator);
    const std::string_view number = text.substr(0, separator);
    // A copy is made only for a decimal comma.
    const std::string swapped = rules.decimal_comma ? swap_decimal_marks(number) : std::string();
    const std::string_view as_points = rules.decimal_comma ? std::string_view(swapped) : number;
    std::size_t length = 0;
    const std::optional<double> value = scan_double(as_points, length);
    const auto refusal = [&](std::string_view why) {
        return "Error: " + std::string(label()) + " " + std::string(why) + ": \"" + std::string(text) + "\"";
    };
    // A number too large for a double ("1e309") is a number all the same:
    // its refusal says so, with no hint about the decimal mark.
    if (!only_number(percent, as_points, length))
        return not_a_number(label(), percent, text, number, rules, hints);
    if (!value || !std::isfinite(*value))
        return refusal("is out of range");
    if (*value < 0.0)
        return refusal("is below 0");
    std::optional<Shape> shape = Shape::normal;
    if (separator != std::string_view::npos)
        shape = shape_named(text.substr(separator + 1));
    if (!shape)
        return refusal("has a shape that is none of " + shape_names(" or "));
    read.value = *value;
    read.shape = *shape;
    return std::nullopt;
}

std::optional<std::string> read_uncertainty(Field field,
                                            std::string_view text,
                                            const ReadingRules& rules,
                                            const MarkHints& hints,
                                            InputUncertainty& read) {
    return read_uncertainty_as([field] { return uncertainty_label(field); }, is_percent(field), text, rules, hints,
                               read);
}

}  // namespace

UncertaintiesRead read_uncertainties(const UncertaintyTexts& texts,
                                     const UncertaintyInputs& values,
                                     const ReadingRules& rules,
                                     const MarkHints& hints) {
    UncertaintiesRead read{values, std::nullopt};
    for (const Field field : all_fields) {
        if (const std::optional<std::string_view> text = texts[static_cast<std::size_t>(field)]) {
            read.refused = read_uncertainty(field, *text, rules, hints, read.values[field]);
            if (read.refused)
                return read;
        }
    }
    return read;
}

}  // namespace kestrane

namespace kestrane {

std::optional<std::string> read_uncertainty_text(const QuantityName& name,
                                                 std::string_view text,
                                                 const ReadingRules& rules,
                                                 const MarkHints& hints,
                                                 InputUncertainty& read) {
    return read_uncertainty_as([&name] { return name.label; }, name.percent, text, rules, hints, read);
}

std::optional<std::string> read_number_text(const QuantityName& name,
                                            std::string_view text,
                                            const ReadingRules& rules,
                                            const MarkHints& hints,
                                            double& value) {
    const std::string swapped = rules.decimal_comma ? swap_decimal_marks(text) : std::string();
    const std::string_view as_points = rules.decimal_comma ? std::string_view(swapped) : text;
    std::size_t length = 0;
    const std::optional<double> read = scan_double(as_points, length);
    if (!only_number(name.percent, as_points, length))
        return not_a_number(name.label, name.percent, text, text, rules, hints);
    if (!read || !std::isfinite(*read))
        return "Error: " + std::string(name.label) + " is out of range: \"" + std::string(text) + "\"";
    value = *read;
    return std::nullopt;
}

}  // namespace kestrane
