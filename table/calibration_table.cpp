#include "calibration_table.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

#include "log/csv.h"
#include "log/log_columns.h"

namespace kestrane {
namespace {

// A plain decimal number as an integer count of 10^-decimals.
struct Decimal {
    std::int64_t units = 0;
    int decimals = 0;
};

// Bounds on a range's numbers: every sum and product of the walk stays far inside 64 bits.
constexpr int max_digits = 15;
constexpr std::int64_t max_scaled = 100'000'000'000'000'000;  // 10^17

std::optional<Decimal> parse_decimal(std::string_view text, char mark) {
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
        } else if (c == mark && !point) {
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

// The text of value / 10^decimals, written with exactly that many decimals after the mark.
std::string decimal_text(std::int64_t value, int decimals, char mark) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    if (digits.size() <= static_cast<std::size_t>(decimals))
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, mark);
    return negative ? "-" + digits : digits;
}

// The result's label as the form shows it, with its unit where the label has none.
std::string result_title(Result result, UnitSelection units) {
    std::string title(info(result).label);
    if (info(result).unit != ResultUnit::percent)
        title.append(" (").append(result_unit_text(result, units)).append(")");
    return title;
}

// One cell: its text (the result's, or the refused mark), and what refused it or warns of it.
struct Cell {
    std::string text;
    std::optional<Field> refused;
    std::string warnings;  // joined
};

// Everything a table shows, before it takes one of the formats.
struct Grid {
    std::vector<std::string> titles;
    std::string corner;
    std::vector<Cell> cells;  // row by row
    std::bitset<field_count> refused;
    TableSummary summary;
};

// The title lines: the result and the sweeps, the fixed inputs, the units.
std::vector<std::string> titles(const TableOptions& o) {
    std::vector<std::string> lines;
    lines.push_back(result_title(o.result, o.units) + " by " + field_words(o.rows.field) + " (" +
                    std::string(field_unit_text(o.rows.field, o.units)) + ") down and " +
                    field_words(o.columns.field) + " (" + std::string(field_unit_text(o.columns.field, o.units)) +
                    ") across");
    std::string fixed = "Fixed:";
    for (std::size_t f = 0; f < field_count; ++f) {
        const auto field = static_cast<Field>(f);
        if (field == o.rows.field || field == o.columns.field)
            continue;
        fixed.append(fixed.size() == 6 ? " " : "; ")
            .append(field_words(field))
            .append(" ")
            .append(trim_blanks(o.field_texts[f]))
            .append(" ")
            .append(field_unit_text(field, o.units));
    }
    lines.push_back(fixed);
    std::string units = "Units:";
    for (const UnitKind kind : all_unit_kinds)
        units.append(units.size() == 6 ? " " : ", ").append(selected_unit(kind, o.units).text);
    lines.push_back(units);
    return lines;
}

// Counts each warning of a cell under its text, in the order they first appear.
void count_warnings(const Correction& c, UnitSelection units, TableSummary& summary) {
    for (const std::string& text : warning_texts(c.warnings, units)) {
        auto it = std::find_if(summary.warnings.begin(), summary.warnings.end(),
                               [&](const auto& entry) { return entry.first == text; });
        if (it == summary.warnings.end())
            summary.warnings.emplace_back(text, 1);
        else
            ++it->second;
    }
}

// One cell: an ordinary run on texts, exactly as a single reading would make it.
Cell compute_cell(const TableOptions& o, const FieldTexts& texts, TableSummary& summary) {
    ++summary.cells;
    const Correction c = correct(texts, o.units, o.rules);
    if (!c.corrected()) {
        ++summary.refused;
        return Cell{refused_mark(c.field), c.field, {}};
    }
    count_warnings(c, o.units, summary);
    Cell cell{c.texts().*info(o.result).text, std::nullopt, joined_warning_texts(c.warnings, o.units)};
    apply_mark(cell.text, o.rules);
    return cell;
}

Grid compute_grid(const TableOptions& o) {
    Grid g;
    g.titles = titles(o);
    g.corner = field_words(o.rows.field) + " \\ " + field_words(o.columns.field);
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = o.field_texts[f];
    g.cells.reserve(o.rows.texts.size() * o.columns.texts.size());
    for (const std::string& row : o.rows.texts) {
        texts[static_cast<std::size_t>(o.rows.field)] = row;
        for (const std::string& column : o.columns.texts) {
            texts[static_cast<std::size_t>(o.columns.field)] = column;
            g.cells.push_back(compute_cell(o, texts, g.summary));
            if (g.cells.back().refused)
                g.refused.set(static_cast<std::size_t>(*g.cells.back().refused));
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

// The titles and the legend as lines of plain text, for the CSV formats' notes.
std::string notes_text(const Grid& g) {
    std::string text;
    for (const std::string& title : g.titles)
        text.append(title) += '\n';
    for (const auto& [mark, message] : legend(g))
        text.append(mark).append(": ").append(message) += '\n';
    return text;
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
            width = std::max(width, g.cells[r * columns + c].text.size());
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
            cell(c + 1, g.cells[r * columns + c].text);
        out += '\n';
    }
    const auto lines = legend(g);
    if (!lines.empty())
        out += '\n';
    for (const auto& [mark, message] : lines)
        out.append(mark).append(": ").append(message) += '\n';
}

// The grid alone, as pandas or csvkit read it: a header row of the column
// values after a first cell that names both inputs and their units, then a row
// per row value.
void write_csv(const TableOptions& o, const Grid& g, std::string& out) {
    const char d = o.delimiter;
    const std::size_t columns = o.columns.texts.size();
    append_csv_field(out,
                     field_words(o.rows.field) + " (" + std::string(field_unit_text(o.rows.field, o.units)) + ") \\ " +
                         field_words(o.columns.field) + " (" + std::string(field_unit_text(o.columns.field, o.units)) +
                         ")",
                     d);
    for (const std::string& text : o.columns.texts)
        append_csv_field(out += d, text, d);
    out += '\n';
    for (std::size_t r = 0; r < o.rows.texts.size(); ++r) {
        append_csv_field(out, o.rows.texts[r], d);
        for (std::size_t c = 0; c < columns; ++c)
            append_csv_field(out += d, g.cells[r * columns + c].text, d);
        out += '\n';
    }
}

// Long CSV, one row per cell: the two inputs, the result's text and unit, and
// the message of a refused reading or the warnings of a corrected one.
void write_long(const TableOptions& o, const Grid& g, std::string& out) {
    const char d = o.delimiter;
    const std::string_view header[] = {info(o.rows.field).column,     info(o.columns.field).column,
                                       info(o.result).key,            "unit",
                                       added_columns[error_column], added_columns[warning_column]};
    for (const std::string_view name : header)
        append_csv_field(name == header[0] ? out : out += d, name, d);
    out += '\n';
    const std::string_view unit = result_unit_text(o.result, o.units);
    std::size_t i = 0;
    for (const std::string& row : o.rows.texts) {
        for (const std::string& column : o.columns.texts) {
            const Cell& cell = g.cells[i++];
            append_csv_field(out, row, d);
            append_csv_field(out += d, column, d);
            append_csv_field(out += d, cell.refused ? "" : cell.text, d);
            append_csv_field(out += d, unit, d);
            append_csv_field(out += d, cell.refused ? info(*cell.refused).message : "", d);
            append_csv_field(out += d, cell.warnings, d);
            out += '\n';
        }
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
            append_md_cell(out, g.cells[r * columns + c].text);
        out += '\n';
    }
    const auto lines = legend(g);
    if (!lines.empty())
        out += '\n';
    for (const auto& [mark, message] : lines)
        out.append("- ").append(mark).append(": ").append(message) += '\n';
}

}  // namespace

std::optional<std::vector<std::string>> range_texts(std::string_view range, std::string& error, char mark) {
    const std::string quoted = "range \"" + std::string(range) + "\"";
    const std::size_t first = range.find(':');
    const std::size_t second = first == std::string_view::npos ? first : range.find(':', first + 1);
    if (second == std::string_view::npos || range.find(':', second + 1) != std::string_view::npos) {
        error = quoted + " is not START:STOP:STEP";
        return std::nullopt;
    }
    const auto start = parse_decimal(range.substr(0, first), mark);
    const auto stop = parse_decimal(range.substr(first + 1, second - first - 1), mark);
    const auto step = parse_decimal(range.substr(second + 1), mark);
    if (!start || !stop || !step) {
        error =
            quoted + " takes plain decimal numbers of at most 15 digits, such as " + (mark == '.' ? "-12.5" : "-12,5");
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
        texts.push_back(decimal_text((*a + static_cast<std::int64_t>(i) * *s) / unit, shown, mark));
    return texts;
}

std::optional<Field> field_from_axis_name(std::string_view name) {
    for (const Field field : all_fields) {
        if (name == info(field).column || name == info(field).option)
            return field;
    }
    if (name == barometer_alias)
        return Field::barometric_pressure;
    return std::nullopt;
}

std::string field_words(Field field) {
    std::string words(info(field).column);
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
}

std::optional<Sweep> parse_sweep(std::string_view text, std::string& error, char mark) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "\"" + std::string(text) + "\" is not FIELD=START:STOP:STEP";
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, equals);
    const auto field = field_from_axis_name(name);
    if (!field) {
        std::string columns;
        for (const FieldInfo& f : field_table)
            columns.append(columns.empty() ? "" : ", ").append(f.column);
        error = "unknown field \"" + std::string(name) + "\" in \"" + std::string(text) + "\"; use " + columns;
        return std::nullopt;
    }
    auto texts = range_texts(text.substr(equals + 1), error, mark);
    if (!texts)
        return std::nullopt;
    return Sweep{*field, std::move(*texts)};
}

std::string refused_mark(Field field) {
    return "E" + std::to_string(static_cast<int>(field) + 1);
}

bool write_table(const TableOptions& options,
                 std::string& out,
                 std::string* notes,
                 std::string& error,
                 TableSummary* summary) {
    if (options.rows.field == options.columns.field) {
        error = "the rows and the columns both sweep " + std::string(info(options.rows.field).column);
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
    switch (options.format) {
        case TableFormat::text: write_text(options, grid, out); break;
        case TableFormat::csv: write_csv(options, grid, out); break;
        case TableFormat::md: write_md(options, grid, out); break;
        case TableFormat::long_csv: write_long(options, grid, out); break;
    }
    const bool data_alone = options.format == TableFormat::csv || options.format == TableFormat::long_csv;
    if (data_alone && notes)
        *notes += notes_text(grid);
    if (summary)
        *summary = grid.summary;
    return true;
}

}  // namespace kestrane
