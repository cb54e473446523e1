#include "table.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

#include "csv.h"

namespace kestrane::cli {
namespace {

// A plain decimal number as an integer count of 10^-decimals.
struct Decimal {
    std::int64_t units = 0;
    int decimals = 0;
};

// Bounds on a range's numbers: every sum and product of the walk stays far inside 64 bits.
constexpr int max_digits = 15;
constexpr std::int64_t max_scaled = 100'000'000'000'000'000;  // 10^17

std::optional<Decimal> parse_decimal(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    Decimal d;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > max_digits)
                return std::nullopt;
            d.units = d.units * 10 + (c - '0');
            if (point)
                ++d.decimals;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (negative)
        d.units = -d.units;
    return d;
}

// d with decimals raised to `decimals`; nothing if it leaves the bounds.
std::optional<std::int64_t> scaled(Decimal d, int decimals) {
    std::int64_t v = d.units;
    for (int k = d.decimals; k < decimals; ++k) {
        if (v > max_scaled / 10 || v < -max_scaled / 10)
            return std::nullopt;
        v *= 10;
    }
    return v;
}

// The text of value / 10^decimals, written with exactly that many decimals.
std::string decimal_text(std::int64_t value, int decimals) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    if (digits.size() <= static_cast<std::size_t>(decimals))
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, '.');
    return negative ? "-" + digits : digits;
}

// The result's label as the form shows it, with its unit where the label has none.
std::string result_title(TableResult result, UnitSelection units) {
    switch (result) {
        case TableResult::gas_pct: return std::string(calculated_gas_pct_label);
        case TableResult::gas_pressure:
            return std::string(calculated_gas_pressure_label) + " (" +
                   std::string(unit_text(UnitKind::pressure, units.pressure)) + ")";
        case TableResult::vapor_pct: return std::string(vapor_pressure_pct_label);
        case TableResult::barometer:
            // The corrected barometer stays in inches of mercury whatever the pressure unit.
            return std::string(corrected_barometer_label) + " (" + std::string(pressure_unit_texts[0]) + ")";
    }
    return {};
}

std::string_view result_text(TableResult result, const ResultTexts& texts) {
    switch (result) {
        case TableResult::gas_pct: return texts.calculated_gas_pct;
        case TableResult::gas_pressure: return texts.calculated_gas_pressure;
        case TableResult::vapor_pct: return texts.vapor_pressure_pct;
        case TableResult::barometer: return texts.corrected_barometer;
    }
    return {};
}

// Everything a table shows, before it takes one of the formats.
struct Grid {
    std::vector<std::string> titles;
    std::string corner;
    std::vector<std::string> cells;  // row by row
    std::bitset<field_count> refused;
    TableWarnings warnings;
};

Grid compute_grid(const TableOptions& o) {
    Grid g;
    const std::size_t row_field = static_cast<std::size_t>(o.rows.field);
    const std::size_t column_field = static_cast<std::size_t>(o.columns.field);
    g.titles.push_back(result_title(o.result, o.units) + " by " + field_words(o.rows.field) + " (" +
                       std::string(field_unit(o.rows.field, o.units)) + ") down and " + field_words(o.columns.field) +
                       " (" + std::string(field_unit(o.columns.field, o.units)) + ") across");
    std::string fixed = "Fixed:";
    for (std::size_t f = 0; f < field_count; ++f) {
        if (f == row_field || f == column_field)
            continue;
        const auto field = static_cast<Field>(f);
        fixed.append(fixed.size() == 6 ? " " : "; ")
            .append(field_words(field))
            .append(" ")
            .append(trim_blanks(o.field_texts[f]))
            .append(" ")
            .append(field_unit(field, o.units));
    }
    g.titles.push_back(fixed);
    g.titles.push_back("Units: " + std::string(unit_text(UnitKind::temperature, o.units.temperature)) + ", " +
                       std::string(unit_text(UnitKind::pressure, o.units.pressure)) + ", " +
                       std::string(unit_text(UnitKind::distance, o.units.distance)));
    g.corner = field_words(o.rows.field) + " \\ " + field_words(o.columns.field);

    // Each cell is one ordinary run on texts, exactly as a single reading would make it.
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = o.field_texts[f];
    g.cells.reserve(o.rows.texts.size() * o.columns.texts.size());
    for (const std::string& row : o.rows.texts) {
        texts[row_field] = row;
        for (const std::string& column : o.columns.texts) {
            texts[column_field] = column;
            const Correction c = correct(texts, o.units, o.mode);
            if (!c.corrected()) {
                g.refused.set(static_cast<std::size_t>(c.field));
                g.cells.push_back(refused_mark(c.field));
                continue;
            }
            const ResultTexts shown = c.texts();
            g.cells.emplace_back(result_text(o.result, shown));
            g.warnings.no_dry_gas += c.warnings.no_dry_gas ? 1 : 0;
            g.warnings.temperature_outside_fit += c.warnings.temperature_outside_fit ? 1 : 0;
        }
    }
    return g;
}

// "E6: Error: Relative Humidity Outside of Range" for each mark the table shows.
std::vector<std::pair<std::string, std::string_view>> legend(const Grid& g) {
    std::vector<std::pair<std::string, std::string_view>> lines;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (g.refused.test(f))
            lines.emplace_back(refused_mark(static_cast<Field>(f)), field_messages[f]);
    }
    return lines;
}

void write_text(const TableOptions& o, const Grid& g, std::string& out) {
    const std::size_t columns = o.columns.texts.size();
    std::vector<std::size_t> widths;
    widths.reserve(columns + 1);
    std::size_t first = g.corner.size();
    for (const std::string& row : o.rows.texts)
        first = std::max(first, row.size());
    widths.push_back(first);
    for (std::size_t c = 0; c < columns; ++c) {
        std::size_t width = o.columns.texts[c].size();
        for (std::size_t r = 0; r < o.rows.texts.size(); ++r)
            width = std::max(width, g.cells[r * columns + c].size());
        widths.push_back(width);
    }
    auto cell = [&](std::size_t column, std::string_view text) {
        if (column != 0)
            out += "  ";
        out.append(widths[column] - text.size(), ' ').append(text);
    };
    for (const std::string& title : g.titles)
        out.append(title) += '\n';
    out += '\n';
    cell(0, g.corner);
    for (std::size_t c = 0; c < columns; ++c)
        cell(c + 1, o.columns.texts[c]);
    out += '\n';
    for (std::size_t r = 0; r < o.rows.texts.size(); ++r) {
        cell(0, o.rows.texts[r]);
        for (std::size_t c = 0; c < columns; ++c)
            cell(c + 1, g.cells[r * columns + c]);
        out += '\n';
    }
    const auto lines = legend(g);
    if (!lines.empty())
        out += '\n';
    for (const auto& [mark, message] : lines)
        out.append(mark).append(": ").append(message) += '\n';
}

void write_csv(const TableOptions& o, const Grid& g, std::string& out) {
    const std::size_t columns = o.columns.texts.size();
    for (const std::string& title : g.titles) {
        append_csv_field(out, title);
        out += '\n';
    }
    append_csv_field(out, g.corner);
    for (const std::string& text : o.columns.texts) {
        out += ',';
        append_csv_field(out, text);
    }
    out += '\n';
    for (std::size_t r = 0; r < o.rows.texts.size(); ++r) {
        append_csv_field(out, o.rows.texts[r]);
        for (std::size_t c = 0; c < columns; ++c) {
            out += ',';
            append_csv_field(out, g.cells[r * columns + c]);
        }
        out += '\n';
    }
    for (const auto& [mark, message] : legend(g)) {
        append_csv_field(out, mark);
        out += ',';
        append_csv_field(out, message);
        out += '\n';
    }
}

// A Markdown table cell: a "|" would end it early.
void append_md_cell(std::string& out, std::string_view text) {
    out += ' ';
    for (const char c : text) {
        if (c == '|')
            out += '\\';
        out += c;
    }
    out += " |";
}

void write_md(const TableOptions& o, const Grid& g, std::string& out) {
    const std::size_t columns = o.columns.texts.size();
    out.append("**").append(g.titles[0]).append("**\n\n");
    for (std::size_t t = 1; t < g.titles.size(); ++t)
        out.append(g.titles[t]).append("\n\n");
    out += '|';
    append_md_cell(out, g.corner);
    for (const std::string& text : o.columns.texts)
        append_md_cell(out, text);
    out += "\n|";
    for (std::size_t c = 0; c <= columns; ++c)
        out += "---:|";
    out += '\n';
    for (std::size_t r = 0; r < o.rows.texts.size(); ++r) {
        out += '|';
        append_md_cell(out, o.rows.texts[r]);
        for (std::size_t c = 0; c < columns; ++c)
            append_md_cell(out, g.cells[r * columns + c]);
        out += '\n';
    }
    const auto lines = legend(g);
    if (!lines.empty())
        out += '\n';
    for (const auto& [mark, message] : lines)
        out.append("- ").append(mark).append(": ").append(message) += '\n';
}

}  // namespace

std::optional<std::vector<std::string>> range_texts(std::string_view range, std::string& error) {
    const std::string quoted = "range \"" + std::string(range) + "\"";
    const std::size_t first = range.find(':');
    const std::size_t second = first == std::string_view::npos ? first : range.find(':', first + 1);
    if (second == std::string_view::npos || range.find(':', second + 1) != std::string_view::npos) {
        error = quoted + " is not START:STOP:STEP";
        return std::nullopt;
    }
    const auto start = parse_decimal(range.substr(0, first));
    const auto stop = parse_decimal(range.substr(first + 1, second - first - 1));
    const auto step = parse_decimal(range.substr(second + 1));
    if (!start || !stop || !step) {
        error = quoted + " takes plain decimal numbers of at most 15 digits, such as -12.5";
        return std::nullopt;
    }
    const int decimals = std::max({start->decimals, stop->decimals, step->decimals});
    const auto a = scaled(*start, decimals);
    const auto b = scaled(*stop, decimals);
    const auto s = scaled(*step, decimals);
    if (!a || !b || !s) {
        error = quoted + " has numbers too large for their decimals";
        return std::nullopt;
    }
    if (*s == 0) {
        error = quoted + " has a step of zero";
        return std::nullopt;
    }
    const std::int64_t span = *b - *a;
    if ((span > 0 && *s < 0) || (span < 0 && *s > 0)) {
        error = quoted + " steps away from its stop";
        return std::nullopt;
    }
    // Whole steps that fit between start and stop: exact, as both are integers here.
    const auto count = static_cast<std::uint64_t>(span / *s) + 1;
    if (count > max_table_cells) {
        error = quoted + " has more than " + std::to_string(max_table_cells) + " values";
        return std::nullopt;
    }
    // Written with the decimals of start and step; the values have no more than that.
    const int shown = std::max(start->decimals, step->decimals);
    std::int64_t unit = 1;
    for (int k = shown; k < decimals; ++k)
        unit *= 10;
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        texts.push_back(decimal_text((*a + static_cast<std::int64_t>(i) * *s) / unit, shown));
    return texts;
}

std::optional<Sweep> parse_sweep(std::string_view text, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "\"" + std::string(text) + "\" is not FIELD=START:STOP:STEP";
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, equals);
    const auto field = field_from_axis_name(name);
    if (!field) {
        error =
            "unknown field \"" + std::string(name) + "\" in \"" + std::string(text) + "\"; use " + field_column_list();
        return std::nullopt;
    }
    auto texts = range_texts(text.substr(equals + 1), error);
    if (!texts)
        return std::nullopt;
    return Sweep{*field, std::move(*texts)};
}

std::string refused_mark(Field field) {
    return "E" + std::to_string(static_cast<int>(field) + 1);
}

bool write_table(const TableOptions& options, std::ostream& out, std::string& error, TableWarnings* warnings) {
    if (options.rows.field == options.columns.field) {
        error = "the rows and the columns both sweep " +
                std::string(field_column_names[static_cast<std::size_t>(options.rows.field)]);
        return false;
    }
    const std::size_t rows = options.rows.texts.size();
    const std::size_t columns = options.columns.texts.size();
    // Compared by division, so the product cannot overflow a 32-bit size_t first.
    if (rows == 0 || columns == 0 || rows > max_table_cells / columns) {
        error = "the table would have " + std::to_string(rows) + " x " + std::to_string(columns) + " cells; at most " +
                std::to_string(max_table_cells) + " are allowed";
        return false;
    }
    const Grid grid = compute_grid(options);
    std::string text;
    switch (options.format) {
        case TableFormat::text: write_text(options, grid, text); break;
        case TableFormat::csv: write_csv(options, grid, text); break;
        case TableFormat::md: write_md(options, grid, text); break;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (warnings) {
        *warnings = grid.warnings;
        warnings->cells = grid.cells.size();
    }
    return true;
}

}  // namespace kestrane::cli
