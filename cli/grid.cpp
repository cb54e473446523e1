#include "grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "batch.h"
#include "csv.h"
#include "vocabulary.h"

namespace kestrane::cli {
namespace {

struct Axis {
    Field field;
    std::vector<std::string> texts;
};

// A number of a range, with the count of digits after its point.
struct RangeNumber {
    double value = 0.0;
    int decimals = 0;
};

std::optional<RangeNumber> parse_range_number(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::size_t digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
            if (point)
                ++decimals;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    // from_chars takes no leading "+".
    const std::string_view number = text[0] == '+' ? text.substr(1) : text;
    RangeNumber n;
    n.decimals = decimals;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n.value);
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return n;
}

std::optional<std::vector<std::string>> range_texts(std::string_view axis, std::string& error) {
    const std::size_t first = axis.find(':');
    const std::size_t second = axis.find(':', first + 1);
    if (second == std::string_view::npos || axis.find(':', second + 1) != std::string_view::npos) {
        error = "range \"" + std::string(axis) + "\" is not start:stop:step";
        return std::nullopt;
    }
    const auto start = parse_range_number(axis.substr(0, first));
    const auto stop = parse_range_number(axis.substr(first + 1, second - first - 1));
    const auto step = parse_range_number(axis.substr(second + 1));
    if (!start || !stop || !step) {
        error = "range \"" + std::string(axis) + "\" takes plain decimal numbers (such as -12.5)";
        return std::nullopt;
    }
    if (step->value == 0.0) {
        error = "range \"" + std::string(axis) + "\" has a step of zero";
        return std::nullopt;
    }
    // A small allowance below, so that 0:0.3:0.1 reaches 0.3 although 0.3 / 0.1 is
    // 2.9999999999999996 in binary.
    const double steps = (stop->value - start->value) / step->value;
    if (steps < -1e-9) {
        error = "range \"" + std::string(axis) + "\" steps away from its stop";
        return std::nullopt;
    }
    if (steps + 1.0 > static_cast<double>(max_axis_points)) {
        error = "range \"" + std::string(axis) + "\" has more than " + std::to_string(max_axis_points) + " points";
        return std::nullopt;
    }
    const auto count = static_cast<std::size_t>(std::floor(steps + 1e-9)) + 1;
    FixedFormat format;
    format.precision = std::max(start->decimals, step->decimals);
    std::vector<std::string> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Each value from start, not by adding steps up, so errors do not accumulate.
        texts.push_back(format_value(start->value + static_cast<double>(i) * step->value, format));
    }
    return texts;
}

std::vector<std::string> list_texts(std::string_view axis) {
    std::vector<std::string> texts;
    for (;;) {
        const std::size_t comma = axis.find(',');
        texts.emplace_back(axis.substr(0, comma));
        if (comma == std::string_view::npos)
            return texts;
        axis.remove_prefix(comma + 1);
    }
}

// The unit a field's or a result's value is in, as the unit lists name it; empty when none.
std::string_view field_unit(Field field, UnitSelection units) {
    auto pick = [](const auto& table, int index) -> std::string_view {
        return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[static_cast<std::size_t>(index)]
                                                                            : table[0];
    };
    switch (field) {
        case Field::target_pressure:
        case Field::barometric_pressure: return pick(pressure_unit_texts, units.pressure);
        case Field::temperature: return pick(temperature_unit_texts, units.temperature);
        case Field::altitude: return pick(distance_unit_texts, units.distance);
        case Field::target_gas:
        case Field::relative_humidity: return {};
    }
    return {};
}

std::string with_unit(std::string_view label, std::string_view unit) {
    std::string text(label);
    if (!unit.empty())
        text.append(" (").append(unit).append(")");
    return text;
}

// Walks every combination of the axes, the last axis fastest, calling visit(texts, outcome).
template <typename Visit>
void for_each_row(const std::vector<Axis>& axes, const GridOptions& options, Visit&& visit) {
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = options.field_values[f];
    std::vector<std::size_t> at(axes.size(), 0);
    for (;;) {
        for (std::size_t a = 0; a < axes.size(); ++a) {
            texts[static_cast<std::size_t>(axes[a].field)] = axes[a].texts[at[a]];
        }
        visit(texts, run_correction(texts, options.units));
        std::size_t a = axes.size();
        while (a > 0 && ++at[a - 1] == axes[a - 1].texts.size())
            at[--a] = 0;
        if (a == 0)
            return;
    }
}

void write_csv(const std::vector<Axis>& axes, const GridOptions& options, std::ostream& out) {
    std::string line;
    for (const Axis& axis : axes)
        line.append(field_column_name(axis.field)) += ',';
    append_result_headings(line, ',');
    line += '\n';
    for_each_row(axes, options, [&](const FieldTexts& texts, const RunOutcome& outcome) {
        for (const Axis& axis : axes) {
            append_csv_cell(line, texts[static_cast<std::size_t>(axis.field)], ',');
            line += ',';
        }
        append_result_cells(line, outcome, ',');
        line += '\n';
        write_when_full(line, out);
    });
    out << line;
}

void write_text(const std::vector<Axis>& axes, const GridOptions& options, std::ostream& out) {
    std::vector<std::string> headings;
    for (const Axis& axis : axes) {
        headings.push_back(
            with_unit(field_labels[static_cast<std::size_t>(axis.field)], field_unit(axis.field, options.units)));
    }
    const std::string_view pressure_unit = field_unit(Field::target_pressure, options.units);
    headings.push_back(std::string(calculated_gas_pct_label));
    headings.push_back(with_unit(calculated_gas_pressure_label, pressure_unit));
    headings.push_back(std::string(vapor_pressure_pct_label));
    headings.push_back(with_unit(corrected_barometer_label, pressure_unit_texts[0]));

    // A first pass finds each column's width, so the table needs no memory of its rows.
    std::vector<std::size_t> widths;
    for (const std::string& heading : headings)
        widths.push_back(heading.size());
    bool any_refused = false;
    for_each_row(axes, options, [&](const FieldTexts& texts, const RunOutcome& outcome) {
        std::size_t c = 0;
        for (const Axis& axis : axes) {
            widths[c] = std::max(widths[c], texts[static_cast<std::size_t>(axis.field)].size());
            ++c;
        }
        for (const std::string_view text : shown_results(outcome)) {
            widths[c] = std::max(widths[c], text.size());
            ++c;
        }
        any_refused = any_refused || outcome.refused();
    });

    std::string line;
    auto cell = [&](std::size_t column, std::string_view text) {
        if (column != 0)
            line += "  ";
        line.append(widths[column] - text.size(), ' ').append(text);
    };
    for (std::size_t c = 0; c < headings.size(); ++c)
        cell(c, headings[c]);
    if (any_refused)
        line += "  Message";
    line += '\n';
    for_each_row(axes, options, [&](const FieldTexts& texts, const RunOutcome& outcome) {
        std::size_t c = 0;
        for (const Axis& axis : axes)
            cell(c++, texts[static_cast<std::size_t>(axis.field)]);
        for (const std::string_view text : shown_results(outcome))
            cell(c++, text);
        if (outcome.refused())
            line.append("  ").append(outcome.message());
        line += '\n';
        write_when_full(line, out);
    });
    out << line;
}

}  // namespace

bool is_axis(std::string_view text) {
    return text.find_first_of(":,") != std::string_view::npos;
}

std::optional<std::vector<std::string>> axis_texts(std::string_view axis, std::string& error) {
    if (axis.find(':') != std::string_view::npos)
        return range_texts(axis, error);
    return list_texts(axis);
}

bool write_grid(const GridOptions& options, std::ostream& out, std::string& error) {
    std::vector<Axis> axes;
    std::size_t rows = 1;
    for (std::size_t f = 0; f < field_count; ++f) {
        const std::string& value = options.field_values[f];
        if (!is_axis(value))
            continue;
        auto texts = axis_texts(value, error);
        if (!texts) {
            error = std::string(field_column_name(static_cast<Field>(f))) + ": " + error;
            return false;
        }
        // Checked by division: the product could overflow a 32-bit size_t first.
        if (texts->size() > max_grid_rows / rows) {
            error = "the grid has more than " + std::to_string(max_grid_rows) + " rows";
            return false;
        }
        rows *= texts->size();
        axes.push_back({static_cast<Field>(f), std::move(*texts)});
    }
    if (axes.empty()) {
        error = "no field varies: give one a range (start:stop:step) or a list (a,b,c)";
        return false;
    }
    if (options.format == GridFormat::csv)
        write_csv(axes, options, out);
    else
        write_text(axes, options, out);
    out.flush();
    return true;
}

}  // namespace kestrane::cli
