#include "vocabulary.h"

#include <algorithm>
#include <vector>

namespace kestrane::cli {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

std::array<std::string, field_count> default_field_values() {
    std::array<std::string, field_count> values;
    for (std::size_t f = 0; f < field_count; ++f)
        values[f] = default_text(static_cast<Field>(f));
    return values;
}

std::optional<Field> field_from_column_name(std::string_view name) {
    for (std::size_t f = 0; f < field_count; ++f) {
        if (name == field_column_names[f])
            return static_cast<Field>(f);
    }
    return std::nullopt;
}

std::optional<Field> field_from_axis_name(std::string_view name) {
    if (const auto field = field_from_column_name(name))
        return field;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (name == field_table[f].option)
            return static_cast<Field>(f);
    }
    if (name == barometer_alias)
        return Field::barometric_pressure;
    return std::nullopt;
}

std::string field_words(Field field) {
    std::string words(info(field).column);
    for (char& c : words) {
        if (c == '_')
            c = ' ';
    }
    return words;
}

std::string field_column_list() {
    std::string list;
    for (const std::string_view name : field_column_names)
        list.append(list.empty() ? "" : ", ").append(name);
    return list;
}

namespace {

// Every name a unit list accepts, each with its index: the dialog's texts and
// short names, then the command line's own units' names.
std::vector<std::pair<std::string_view, int>> unit_names(UnitKind kind) {
    const UnitKindInfo& names = info(kind);
    std::vector<std::pair<std::string_view, int>> all;
    for (std::size_t i = 0; i < names.texts.size(); ++i) {
        all.emplace_back(names.texts[i], static_cast<int>(i));
        all.emplace_back(names.short_names[i], static_cast<int>(i));
    }
    for (std::size_t i = 0; i < names.extras.size(); ++i) {
        const int index = static_cast<int>(names.texts.size() + i);
        all.emplace_back(names.extras[i].text, index);
        for (const std::string_view other : names.extras[i].other_names) {
            if (!other.empty())
                all.emplace_back(other, index);
        }
    }
    return all;
}

}  // namespace

std::optional<int> unit_index(UnitKind kind, std::string_view name) {
    name = trim_blanks(name);
    for (const auto& [text, index] : unit_names(kind)) {
        if (same_ignoring_case(name, text))
            return index;
    }
    return std::nullopt;
}

std::string accepted_unit_names(UnitKind kind) {
    std::string text;
    int last = -1;
    std::string_view last_name;
    for (const auto& [name, index] : unit_names(kind)) {
        // A short name that is the list text in another case is not said twice.
        if (index == last && same_ignoring_case(name, last_name))
            continue;
        text.append(index == last ? " or " : last < 0 ? "" : ", ").append(name);
        last = index;
        last_name = name;
    }
    return text;
}

std::string unknown_unit_message(UnitKind kind, std::string_view name) {
    std::string message = "unknown " + std::string(unit_kind_name(kind)) + " unit \"" + std::string(name) + "\"; use " +
                          accepted_unit_names(kind) + " (any case)";
    std::vector<std::string_view> candidates;
    for (const auto& entry : unit_names(kind))
        candidates.push_back(entry.first);
    if (const std::string_view near = nearest_name(trim_blanks(name), candidates); !near.empty())
        message.append("; did you mean ").append(near).append("?");
    return message;
}

std::string_view unit_text(UnitKind kind, int index) {
    const UnitKindInfo& names = info(kind);
    const std::size_t dialog = names.texts.size();
    if (index >= 0 && static_cast<std::size_t>(index) < dialog)
        return names.texts[static_cast<std::size_t>(index)];
    if (index >= 0 && static_cast<std::size_t>(index) - dialog < names.extras.size())
        return names.extras[static_cast<std::size_t>(index) - dialog].text;
    return names.texts[0];
}

std::string_view field_unit(Field field, UnitSelection units) {
    switch (field) {
        case Field::target_pressure:
        case Field::barometric_pressure: return unit_text(UnitKind::pressure, units.pressure);
        case Field::temperature: return unit_text(UnitKind::temperature, units.temperature);
        case Field::altitude: return unit_text(UnitKind::distance, units.distance);
        case Field::target_gas:
        case Field::relative_humidity: return "%";
    }
    return "%";
}

std::string_view result_unit(std::size_t result, UnitSelection units) {
    switch (result) {
        case 1: return unit_text(UnitKind::pressure, units.pressure);
        case 3: return pressure_unit_texts[0];
        default: return "%";
    }
}

namespace {

// The edit distance of a and b, ignoring case: letters changed, added, removed,
// or two neighbours swapped, each counting one.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

std::string_view without_dashes(std::string_view name) {
    while (!name.empty() && name.front() == '-')
        name.remove_prefix(1);
    return name;
}

}  // namespace

std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> candidates) {
    const std::string_view word = without_dashes(typed);
    std::string_view best;
    std::size_t best_distance = 3;  // at most two edits away
    for (const std::string_view candidate : candidates) {
        const std::string_view other = without_dashes(candidate);
        const std::size_t distance = edit_distance(word, other);
        // Half the letters wrong is another word, not a slip.
        if (distance < best_distance && 2 * distance < std::max(word.size(), other.size())) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

std::optional<char> delimiter_from_name(std::string_view name) {
    if (name == "," || name == ";" || name == "|" || name == "\t")
        return name[0];
    if (same_ignoring_case(name, "tab") || name == "\\t")
        return '\t';
    return std::nullopt;
}

}  // namespace kestrane::cli
