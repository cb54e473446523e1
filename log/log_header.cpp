#include "log_header.h"

#include <algorithm>
#include <span>

#include "core/names.h"
#include "core/number_text.h"

namespace kestrane {
namespace {

std::string line_prefix(std::size_t line) {
    return "line " + std::to_string(line) + ": ";
}

// Whether a header cell names a column: in any case, blanks around it ignored.
bool names(std::string_view cell, std::string_view column) {
    return same_ignoring_case(trim_blanks(cell), column);
}

std::optional<std::size_t> added_column_named(std::string_view cell) {
    for (std::size_t k = 0; k < added_column_count; ++k) {
        if (names(cell, added_columns[k]))
            return k;
    }
    return std::nullopt;
}

// The added columns that end the header in one of the orders kestrane-cli
// writes them (with uncertainties and a coverage factor, with uncertainties,
// without, or as earlier versions wrote them: two uncertainties, no warning),
// and whether uncertainties are among them; nothing ends it in a log it did
// not write.
struct OwnSuffix {
    std::size_t count = 0;
    bool uncertainty = false;
    std::size_t error = 0;  // the error's place among them
};

// Whether the header's columns from `from` on hold the added columns in the order given.
bool run_at(const std::vector<std::string_view>& header, std::size_t from, std::span<const std::size_t> order) {
    if (from + order.size() > header.size())
        return false;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (!names(header[from + k], added_columns[order[k]]))
            return false;
    }
    return true;
}

// Longest first: each ends in the columns of those after it.
const std::array<std::span<const std::size_t>, 9>& own_orders() {
    static const std::array<std::span<const std::size_t>, 9> orders = {
        coverage_as_left_column_order, as_left_column_order, coverage_check_column_order, check_column_order,
        coverage_column_order, uncertainty_column_order, two_uncertainties_column_order, plain_column_order,
        std::span<const std::size_t>(plain_column_order).first(plain_column_order.size() - 1)};
    return orders;
}

OwnSuffix own_suffix(const std::vector<std::string_view>& header) {
    for (const auto order : own_orders()) {
        if (header.size() < order.size())
            continue;
        if (run_at(header, header.size() - order.size(), order)) {
            const auto error = static_cast<std::size_t>(std::find(order.begin(), order.end(), error_column) - order.begin());
            return {order.size(), order.size() > plain_column_order.size(), error};
        }
    }
    return {};
}

// Finds the header's columns, or says why it will not do.
class HeaderMap {
public:
    HeaderMap(const std::vector<std::string_view>& header, std::size_t line, DelimiterNote note)
        : header_(header), line_(line), note_(note) {}

    std::optional<std::string> map(LogColumns& columns, bool uncertainty, bool coverage) {
        const OwnSuffix suffix = own_suffix(header_);
        const std::size_t own_end = header_.size() - suffix.count;
        std::array<std::optional<std::size_t>, field_count> fields;
        for (std::size_t i = 0; i < own_end && !error_; ++i) {
            if (const auto field = field_of_column(header_[i]))
                place(fields[static_cast<std::size_t>(*field)], i);
            for (std::size_t k = 0; k < unit_kind_count; ++k) {
                if (names(header_[i], unit_kinds[k].column))
                    place(columns.units[k], i);
            }
            for (std::size_t k = 0; k < rule_columns.size(); ++k) {
                if (names(header_[i], rule_columns[k].column))
                    place(columns.rules[k], i);
            }
            for (std::size_t f = 0; f < field_count; ++f) {
                if (names(header_[i], uncertainty_columns()[f]))
                    place(columns.uncertainties[f], i);
            }
            place_check_columns(i, columns);
            if (const auto added = added_column_named(header_[i]); added && !error_)
                error_ = collision(i);
        }
        if (!error_)
            check_fields(fields, columns);
        columns.check = columns.check_inputs[static_cast<std::size_t>(CheckInput::as_found)].has_value();
        columns.as_left = columns.check_inputs[static_cast<std::size_t>(CheckInput::as_left)].has_value();
        if (columns.as_left && !columns.check && !error_) {
            error_ = line_prefix(line_) + "column " + std::string(info(CheckInput::as_left).column) +
                     " needs a column " + std::string(info(CheckInput::as_found).column) + ": the reading as found";
        }
        columns.uncertainty = uncertainty || suffix.uncertainty || columns.check;
        for (const auto& column : columns.uncertainties)
            columns.uncertainty = columns.uncertainty || column.has_value();
        columns.coverage = columns.uncertainty && coverage;
        if (!error_)
            plan(suffix, columns);
        return error_;
    }

private:
    void place_check_columns(std::size_t i, LogColumns& columns) {
        for (std::size_t k = 0; k < check_input_count; ++k) {
            if (names(header_[i], check_input_table[k].column))
                place(columns.check_inputs[k], i);
        }
        if (names(header_[i], decision_rule_column))
            place(columns.decision_rule, i);
    }

    void place(std::optional<std::size_t>& slot, std::size_t i) {
        if (slot && !error_) {
            error_ = line_prefix(line_) + "column " + std::string(trim_blanks(header_[i])) + " appears twice (columns " +
                     std::to_string(*slot + 1) + " and " + std::to_string(i + 1) + ")";
        }
        slot = i;
    }

    // A column of the user's own with the name of one the correction adds: its
    // values would be taken for results, or stand beside a second column of its name.
    std::string collision(std::size_t i) const {
        for (const auto order : own_orders()) {
            if (run_at(header_, i, order))
                return moved_output(i, i + order.size());
        }
        const std::string name(trim_blanks(header_[i]));
        return line_prefix(line_) + "column " + std::to_string(i + 1) + " is named " + name +
               ", as is a column the correction adds to a log, and the log does not end in the columns it adds; "
               "rename that column (to " +
               name + "_1, say) and run again";
    }

    // A corrected log with columns of the user's after the ones the correction
    // added: which are which is no longer certain, so the user says.
    std::string moved_output(std::size_t first, std::size_t end) const {
        std::string after;
        for (std::size_t j = end; j < header_.size(); ++j)
            after.append(j == end ? "" : ", ").append(trim_blanks(header_[j]));
        const bool one = header_.size() - end == 1;
        return line_prefix(line_) + "columns " + std::to_string(first + 1) + " to " + std::to_string(end) +
               " are the columns a corrected log ends in, and " + (one ? "column " : "columns ") +
               std::to_string(end + 1) + (one ? "" : " on") + " (" + after + ") " + (one ? "follows" : "follow") +
               " them: move " + (one ? "that column" : "those columns") + " before column " +
               std::to_string(first + 1) + ", or delete the corrected columns, and run again";
    }

    void check_fields(const std::array<std::optional<std::size_t>, field_count>& fields, LogColumns& columns) {
        std::string missing;
        std::string near;
        std::size_t missing_count = 0;
        for (std::size_t f = 0; f < field_count; ++f) {
            if (fields[f]) {
                columns.fields[f] = *fields[f];
                continue;
            }
            const std::string_view column = field_table[f].column;
            missing.append(missing_count++ == 0 ? "" : ", ").append(column);
            near += nearest_column(column);
        }
        if (missing_count == 0)
            return;
        std::string all;
        for (const FieldInfo& field : field_table)
            all.append(all.empty() ? "" : ", ").append(field.column);
        error_ = line_prefix(line_) + (missing_count == 1 ? "missing column " : "missing columns ") + missing +
                 " (a log needs the columns " + all + ")" + near + delimiter_hint();
    }

    // "; column 2 is \"targt_gas\": rename it target_gas if that is what it holds", for a near miss.
    std::string nearest_column(std::string_view column) const {
        std::vector<std::string_view> cells;
        for (const std::string_view cell : header_)
            cells.push_back(trim_blanks(cell));
        const std::string_view near = nearest_name(column, cells);
        if (near.empty())
            return {};
        std::size_t at = 0;
        while (cells[at].data() != near.data())
            ++at;
        return "; column " + std::to_string(at + 1) + " is \"" + shown_name(near) + ": rename it " +
               std::string(column) + " if that is what it holds";
    }

    // A name as a message quotes it, closing quote included. A no-break space
    // looks like a blank but is not one, so it is named rather than shown.
    static std::string shown_name(std::string_view name) {
        constexpr std::string_view no_break_space = "\xC2\xA0";
        std::string shown;
        std::size_t spaces = 0;
        for (std::size_t at = 0; at < name.size(); ++at) {
            if (name.substr(at, no_break_space.size()) == no_break_space) {
                ++spaces;
                at += no_break_space.size() - 1;
            } else {
                shown += name[at];
            }
        }
        if (spaces == 0)
            return shown + "\"";
        return shown + "\" with " + (spaces == 1 ? "a no-break space" : "no-break spaces") + " (U+00A0) in it";
    }

    // How the header was split, and what to do when that was not the log's delimiter.
    std::string delimiter_hint() const {
        std::string name;
        for (const DelimiterName& d : log_delimiters) {
            if (d.delimiter == note_.delimiter)
                name = d.name;
        }
        if (note_.detected) {
            return "; read with the delimiter " + name + ", as none of " + delimiter_list(" or ") +
                   " gave them all: if the log has another, give --delimiter";
        }
        for (const DelimiterName& d : log_delimiters) {
            if (header_.size() == 1 && header_[0].find(d.delimiter) != std::string_view::npos)
                return "; its header is one column with " + std::string(d.name) + " in it: give --delimiter " +
                       std::string(d.name);
        }
        return "; read with the delimiter " + name + " that --delimiter gave";
    }

    void plan(OwnSuffix suffix, LogColumns& columns) const {
        columns.width = header_.size();
        columns.any_units = columns.units[0] || columns.units[1] || columns.units[2];
        columns.own_output = suffix.count != 0;
        columns.plan.clear();
        const std::size_t own_end = header_.size() - suffix.count;
        for (std::size_t i = 0; i < own_end; ++i)
            columns.plan.push_back(static_cast<int>(i));
        for (const std::size_t k : added_order(columns))
            columns.plan.push_back(-1 - static_cast<int>(k));
        if (suffix.count != 0)
            columns.error_at = own_end + suffix.error;
        columns.raw_column = 0;
        while (columns.plan[columns.raw_column] < 0)
            ++columns.raw_column;
    }

    // The added columns in the order this log gets them.
    static std::span<const std::size_t> added_order(const LogColumns& columns) {
        if (!columns.uncertainty)
            return plain_column_order;
        if (columns.as_left)
            return columns.coverage ? std::span<const std::size_t>(coverage_as_left_column_order)
                                    : std::span<const std::size_t>(as_left_column_order);
        if (columns.check)
            return columns.coverage ? std::span<const std::size_t>(coverage_check_column_order)
                                    : std::span<const std::size_t>(check_column_order);
        return columns.coverage ? std::span<const std::size_t>(coverage_column_order)
                                : std::span<const std::size_t>(uncertainty_column_order);
    }

    const std::vector<std::string_view>& header_;
    std::size_t line_;
    DelimiterNote note_;
    std::optional<std::string> error_;
};

}  // namespace

std::string delimiter_list(std::string_view last_separator) {
    std::string list;
    for (std::size_t i = 0; i < log_delimiters.size(); ++i) {
        list.append(i == 0 ? "" : i + 1 == log_delimiters.size() ? last_separator : ", ")
            .append(log_delimiters[i].name);
    }
    return list;
}

std::optional<char> delimiter_from_name(std::string_view name) {
    for (const DelimiterName& d : log_delimiters) {
        if (name == std::string_view(&d.delimiter, 1) || same_ignoring_case(name, d.name))
            return d.delimiter;
    }
    if (name == "\\t")
        return '\t';
    return std::nullopt;
}

std::size_t field_columns_named(const std::vector<std::string_view>& header) {
    std::array<bool, field_count> seen{};
    std::size_t count = 0;
    for (const std::string_view cell : header) {
        if (const auto field = field_of_column(cell); field && !seen[static_cast<std::size_t>(*field)]) {
            seen[static_cast<std::size_t>(*field)] = true;
            ++count;
        }
    }
    return count;
}

std::optional<std::string> map_header(const std::vector<std::string_view>& header,
                                      std::size_t line,
                                      DelimiterNote note,
                                      bool uncertainty,
                                      bool coverage,
                                      LogColumns& columns) {
    columns = LogColumns{};
    return HeaderMap(header, line, note).map(columns, uncertainty, coverage);
}

const std::array<std::string, field_count>& uncertainty_columns() {
    static const std::array<std::string, field_count> names = [] {
        std::array<std::string, field_count> columns;
        for (std::size_t f = 0; f < field_count; ++f)
            columns[f] = "u_" + std::string(field_table[f].column);
        return columns;
    }();
    return names;
}

bool carried_malformed(const std::vector<std::string_view>& row, const LogColumns& columns) {
    if (!columns.error_at || row.size() != columns.width)
        return false;
    const std::string_view error = row[*columns.error_at];
    std::size_t digits = 5;
    while (digits < error.size() && error[digits] >= '0' && error[digits] <= '9')
        ++digits;
    if (error.substr(0, 5) != "line " || digits == 5 || error.substr(digits, 2) != ": ")
        return false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i != columns.raw_column && i != *columns.error_at && !row[i].empty())
            return false;
    }
    return true;
}

}  // namespace kestrane
