#include "log_corrector.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "core/certificate_text.h"
#include "core/names.h"
#include "core/uncertainty.h"
#include "reading/reading_text.h"

namespace kestrane {
namespace {

constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";

std::string line_prefix(std::size_t line) {
    return "line " + std::to_string(line) + ": ";
}

constexpr std::string_view utf16_refusal =
    "the log is UTF-16 text (as Excel's \"Unicode Text\" saves it), which is not read here: save it as \"CSV "
    "UTF-8 (Comma delimited)\" and correct that";

// A header read from UTF-16 with no byte order mark: every other byte of its
// names is a zero byte, which no header of UTF-8 text has.
bool looks_utf16(const std::vector<std::string_view>& header) {
    std::size_t bytes = 0;
    std::size_t zeros = 0;
    for (const std::string_view cell : header) {
        bytes += cell.size();
        zeros += static_cast<std::size_t>(std::count(cell.begin(), cell.end(), '\0'));
    }
    return zeros != 0 && zeros * 3 >= bytes;
}

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// Whether a row's cell was read with a bare quote in it.
bool read_bare(const RecordReader& reader, int cell) {
    const std::vector<std::size_t>& bare = reader.bare_quote_fields();
    return std::binary_search(bare.begin(), bare.end(), static_cast<std::size_t>(cell));  // in order, from the reader
}

}  // namespace

LogReport& operator+=(LogReport& report, const LogReport& part) {
    report.rows += part.rows;
    report.corrected += part.corrected;
    report.refused += part.refused;
    report.malformed += part.malformed;
    report.blank += part.blank;
    report.warned += part.warned;
    report.checked = report.checked || part.checked;
    report.checked_as_left = report.checked_as_left || part.checked_as_left;
    for (std::size_t k = 0; k < 2; ++k) {
        report.as_found[k] += part.as_found[k];
        report.as_left[k] += part.as_left[k];
    }
    return report;
}

std::string log_summary(const LogReport& report) {
    std::string text = counted(report.rows, "row", "rows") + " read, " + std::to_string(report.corrected) +
                       " corrected, " + std::to_string(report.refused) + " refused";
    if (report.malformed != 0)
        text += ", " + std::to_string(report.malformed) + " malformed";
    if (report.blank != 0)
        text += ", " + std::to_string(report.blank) + " blank";
    if (report.warned != 0)
        text += ", " + std::to_string(report.warned) + " with warnings";
    const auto decided = [&text](std::string_view which, const std::array<std::size_t, 2>& counts) {
        text.append("; ").append(which).append(" ").append(std::to_string(counts[1])).append(" passed, ");
        text.append(std::to_string(counts[0])).append(" failed");
    };
    if (report.checked)
        decided("as found", report.as_found);
    if (report.checked_as_left)
        decided("as left", report.as_left);
    return text;
}

LogCorrector::LogCorrector(const LogOptions& options)
    : options_(options), reader_(options.max_record, options.delimiter == LogOptions::detect_delimiter
                                                         ? log_delimiters[0].delimiter
                                                         : options.delimiter) {
    added_.resize(added_column_count);
}

LogCorrector::LogCorrector(const LogOptions& options, const LogLayout& layout, std::size_t line)
    : options_(options), reader_(options.max_record, layout.delimiter), state_(State::rows),
      delimiter_(layout.delimiter), columns_(layout.columns) {
    reader_.begin_at_line(line);
    report_.checked = columns_.check;
    report_.checked_as_left = columns_.as_left;
    record_options();  // the plan has their columns already
}

std::optional<LogLayout> LogCorrector::layout() const {
    if (state_ == State::header || failed())
        return std::nullopt;
    return LogLayout{delimiter_, columns_};
}

bool LogCorrector::between_records(std::size_t ahead) const {
    return state_ == State::rows && reader_.held() == ahead;
}

void LogCorrector::push(std::string_view chunk) {
    if (failed() || state_ == State::done)
        return;
    reader_.push(chunk);
    run();
}

void LogCorrector::finish() {
    if (failed() || state_ == State::done)
        return;
    reader_.close();
    run();
}

void LogCorrector::run() {
    if (state_ == State::header && !read_header())
        return;
    read_rows();
}

void LogCorrector::fail(std::string message) {
    report_.failure = LogFailure::bad_header;
    report_.message = std::move(message);
    state_ = State::done;
}

// Tries the header with each of the delimiters a log may have and keeps the
// first that names all six fields (or, when none does, the one that names
// most), so that a header such as "Zeit, UTC";target_gas;... is read as the
// semicolons it has. False while the header has not arrived whole.
bool LogCorrector::choose_delimiter() {
    std::size_t best_count = 0;
    char best = log_delimiters[0].delimiter;
    for (const DelimiterName& d : log_delimiters) {
        reader_.reread();
        reader_.set_delimiter(d.delimiter);
        const RecordReader::Step step = reader_.next(fields_);
        if (step != RecordReader::Step::record) {
            reader_.reread();
            return step == RecordReader::Step::end;  // an empty log: the header's reading says so
        }
        const std::size_t count = reader_.fault() == RecordFault::none ? field_columns_named(fields_) : 0;
        if (count > best_count) {
            best_count = count;
            best = d.delimiter;
        }
        if (count == field_count)
            break;
    }
    reader_.reread();
    reader_.set_delimiter(best);
    return true;
}

bool LogCorrector::read_header() {
    const bool detect = options_.delimiter == LogOptions::detect_delimiter;
    if (detect && !choose_delimiter())
        return false;
    const RecordReader::Step step = reader_.next(fields_);
    if (step == RecordReader::Step::need_input)
        return false;
    if (step == RecordReader::Step::end) {
        fail(reader_.utf16() ? std::string(utf16_refusal)
                             : "the input is empty: a log starts with a header row naming its columns");
        return false;
    }
    if (looks_utf16(fields_)) {
        fail(std::string(utf16_refusal));
        return false;
    }
    if (reader_.fault() != RecordFault::none) {
        fail(line_prefix(reader_.line_number()) + describe(reader_.fault(), reader_.max_record()));
        return false;
    }
    delimiter_ = reader_.delimiter();
    if (auto error = map_header(fields_, reader_.line_number(), {delimiter_, detect}, options_.uncertainty,
                                options_.coverage_probability.has_value(), columns_)) {
        fail(std::move(*error));
        return false;
    }
    // The mark tells spreadsheet programs the text is UTF-8; keep it if the log had it.
    if (reader_.had_byte_order_mark())
        out_ += utf8_byte_order_mark;
    report_.checked = columns_.check;
    report_.checked_as_left = columns_.as_left;
    record_options();
    plan_recorded();
    std::copy(added_columns.begin(), added_columns.end(), added_.begin());
    for (std::size_t r = 0; r < recorded_.size(); ++r)
        added_[added_column_count + r] = recorded_[r].first;
    write_row(fields_, added_);
    state_ = State::rows;
    return true;
}

// The options the results depend on that the log's columns do not state
// become columns after the user's own and before the results, also in a log
// this program wrote: its rows are then corrected with those options, and
// correcting the output again with none must give it back.
void LogCorrector::record_options() {
    recorded_.clear();
    for (std::size_t k = 0; k < unit_kind_count; ++k) {
        const UnitKind kind = all_unit_kinds[k];
        if (!columns_.units[k] && options_.units.*unit_kinds[k].selection != UnitSelection{}.*unit_kinds[k].selection)
            recorded_.emplace_back(unit_kinds[k].column, selected_unit(kind, options_.units).text);
    }
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!columns_.uncertainties[f] && !options_.uncertainty_texts[f].empty())
            recorded_.emplace_back(uncertainty_columns()[f], options_.uncertainty_texts[f]);
    }
    for (const CheckInput input : {CheckInput::standard_uncertainty, CheckInput::tolerance}) {
        const auto k = static_cast<std::size_t>(input);
        if (columns_.check && !columns_.check_inputs[k] && !options_.check_texts[k].empty())
            recorded_.emplace_back(info(input).column, options_.check_texts[k]);
    }
    if (columns_.check && !columns_.decision_rule && options_.decision_rule != DecisionRule::simple)
        recorded_.emplace_back(decision_rule_column, info(options_.decision_rule).name);
    for (std::size_t k = 0; k < rule_columns.size(); ++k) {
        if (!columns_.rules[k] && rule_on(options_.rules, k))
            recorded_.emplace_back(rule_columns[k].column, rule_columns[k].values[1]);
    }
    added_.resize(added_column_count + recorded_.size());
}

// Places the columns that record the options in the plan, once, as the header is read.
void LogCorrector::plan_recorded() {
    // The user's columns come first in the plan; the added ones follow them.
    const auto users = std::find_if(columns_.plan.begin(), columns_.plan.end(), [](int source) { return source < 0; });
    const std::ptrdiff_t first_added = users - columns_.plan.begin();
    for (std::size_t r = 0; r < recorded_.size(); ++r)
        columns_.plan.insert(columns_.plan.begin() + first_added + static_cast<std::ptrdiff_t>(r),
                             -1 - static_cast<int>(added_column_count + r));
}

// Empties the added cells; a row read as a reading gets the recorded options.
void LogCorrector::clear_added(bool recorded) {
    std::fill(added_.begin(), added_.end(), std::string_view());
    for (std::size_t r = 0; r < recorded_.size() && recorded; ++r)
        added_[added_column_count + r] = recorded_[r].second;
}

void LogCorrector::read_rows() {
    for (;;) {
        if (state_ == State::carrying) {
            if (!carry_text())
                return;
            end_malformed();
            state_ = State::rows;
        }
        const RecordReader::Step step = reader_.next(fields_);
        if (step == RecordReader::Step::need_input)
            return;
        if (step == RecordReader::Step::end) {
            state_ = State::done;
            return;
        }
        take_row();
    }
}

bool LogCorrector::all_empty() const {
    return std::all_of(fields_.begin(), fields_.end(), [](std::string_view field) { return field.empty(); });
}

void LogCorrector::take_row() {
    ++report_.rows;
    if (reader_.fault() != RecordFault::none) {
        begin_malformed(describe(reader_.fault(), reader_.max_record()));
    } else if (fields_.size() != columns_.width && !all_empty()) {
        begin_malformed("expected " + counted(columns_.width, "field", "fields") + ", found " +
                        std::to_string(fields_.size()));
    } else if (all_empty()) {
        // Passed through as the header's width of empty cells, however many it had.
        ++report_.blank;
        clear_added(false);
        write_cells({}, added_, 0, columns_.plan.size());
        out_ += '\n';
    } else if (columns_.own_output && carried_malformed(fields_, columns_)) {
        // A record an earlier run found malformed stays as that run wrote it, to the byte.
        ++report_.malformed;
        out_.append(reader_.text()) += '\n';
    } else {
        correct_row();
    }
}

// How the row's cells are read: its own cells of rule_columns over the
// options; false, with the row written as refused, when a cell is neither word.
bool LogCorrector::row_rules() {
    rules_ = options_.rules;
    for (std::size_t k = 0; k < rule_columns.size(); ++k) {
        if (!columns_.rules[k])
            continue;
        const std::string_view cell = trim_blanks(fields_[*columns_.rules[k]]);
        const RuleColumn& rule = rule_columns[k];
        if (cell.empty() || same_ignoring_case(cell, rule.values[0]) || same_ignoring_case(cell, rule.values[1])) {
            if (!cell.empty())
                set_rule(rules_, k, same_ignoring_case(cell, rule.values[1]));
            continue;
        }
        refuse_row(std::string(rule.column) + " is \"" + std::string(cell) + "\": it is \"" +
                   std::string(rule.values[0]) + "\" or \"" + std::string(rule.values[1]) + "\"");
        return false;
    }
    return true;
}

// Counts the row as refused and writes it with the message in its error column.
void LogCorrector::refuse_row(std::string_view message) {
    ++report_.refused;
    clear_added(true);
    added_[error_column] = message;
    write_row(fields_, added_);
}

void LogCorrector::correct_row() {
    if (!row_rules())
        return;
    ReadingQuery& q = query_;
    q.units = options_.units;
    for (std::size_t k = 0; k < unit_kind_count && columns_.any_units; ++k) {
        if (!columns_.units[k])
            continue;
        const std::string_view cell = fields_[*columns_.units[k]];
        if (trim_blanks(cell).empty())
            continue;
        const auto index = unit_index(all_unit_kinds[k], cell);
        if (!index) {
            refuse_row(unknown_unit_message(all_unit_kinds[k], cell));
            return;
        }
        q.units.*unit_kinds[k].selection = *index;
    }
    for (std::size_t f = 0; f < field_count; ++f)
        q.texts[f] = fields_[columns_.fields[f]];
    q.rules = rules_;
    if (!columns_.uncertainty && !columns_.check) {
        // A log of readings alone, the commonest: corrected as evaluate
        // corrects a query that asks for nothing more, without the outcome it
        // makes ready for uncertainties and checks, which cost a row more
        // than the correction itself.
        const Correction c = correct(q.texts, q.units, q.rules);
        if (c.corrected())
            write_corrected(c, nullptr);
        else
            refuse_row(refusal_message(c, q.texts, q.rules, log_mark_hints));
        return;
    }
    q.uncertainty = columns_.uncertainty;
    if (columns_.uncertainty) {
        q.known = options_.uncertainties;
        q.coverage_probability = options_.coverage_probability;
        if (!row_uncertainties(q.known))
            return;
    }
    q.check = {};
    if (columns_.check && !row_check(q.check))
        return;
    write_outcome(evaluate(q, log_mark_hints));
}

// The row's standard uncertainties, its own cells over the options'; false,
// with the row written as refused, when a cell is no uncertainty.
bool LogCorrector::row_uncertainties(UncertaintyInputs& uncertainties) {
    UncertaintyTexts texts;
    bool unread = false;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!columns_.uncertainties[f])
            continue;
        // A text read before is not blank: only read texts are kept.
        const std::string_view cell = fields_[*columns_.uncertainties[f]];
        const ReadUncertainty& last = last_uncertainties_[f];
        if (last.value && last.decimal_comma == rules_.decimal_comma && last.text == cell) {
            uncertainties.inputs[f] = *last.value;
            continue;
        }
        if (trim_blanks(cell).empty())
            continue;
        texts[f] = cell;
        unread = true;
    }
    if (!unread)
        return true;
    const UncertaintiesRead read = read_uncertainties(texts, uncertainties, rules_, log_mark_hints);
    if (read.refused) {
        refuse_row(*read.refused);
        return false;
    }
    uncertainties = read.values;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!texts[f])
            continue;
        ReadUncertainty& last = last_uncertainties_[f];
        last.text.assign(*texts[f]);  // in place: a log whose texts change on every row keeps each
        last.decimal_comma = rules_.decimal_comma;
        last.value = uncertainties.inputs[f];
    }
    return true;
}

// The row's check: its own cells over the options' texts; none when the row
// has neither reading. False, with the row written as refused, when its
// decision rule's cell is neither rule.
bool LogCorrector::row_check(CheckSettings& check) {
    for (std::size_t k = 0; k < check_input_count; ++k) {
        const std::string_view cell = columns_.check_inputs[k] ? fields_[*columns_.check_inputs[k]] : "";
        if (!trim_blanks(cell).empty())
            check.texts[k] = cell;
        else if (!options_.check_texts[k].empty())
            check.texts[k] = options_.check_texts[k];
    }
    if (!check.asked() && !check[CheckInput::as_left]) {
        check = {};
        return true;
    }
    check.rule = options_.decision_rule;
    const std::string_view cell = columns_.decision_rule ? trim_blanks(fields_[*columns_.decision_rule]) : "";
    if (cell.empty())
        return true;
    for (const DecisionRuleInfo& rule : decision_rule_table) {
        if (same_ignoring_case(cell, rule.name)) {
            check.rule = rule.rule;
            return true;
        }
    }
    refuse_row(std::string(decision_rule_column) + " is \"" + std::string(cell) + "\": it is \"" +
               std::string(info(DecisionRule::simple).name) + "\" or \"" + std::string(info(DecisionRule::guarded).name) +
               "\"");
    return false;
}

// The cells of the row's checks, and the count of their decisions.
void LogCorrector::set_checks(const ReadingOutcome& o) {
    const std::pair<const std::optional<AnalyzerCheck>*, CheckInput> checks[] = {
        {&o.as_found_check, CheckInput::as_found}, {&o.as_left_check, CheckInput::as_left}};
    for (std::size_t c = 0; c < 2; ++c) {
        const auto& [check, reading] = checks[c];
        if (!*check)
            continue;
        const CheckTexts texts = check_texts(query_, **check, reading);
        std::string* cells = &checks_[c * check_column_count];
        cells[0] = texts.error;
        cells[1] = texts.expanded;
        apply_mark(cells[0], rules_);
        apply_mark(cells[1], rules_);
        cells[2] = decision_word((*check)->pass);
        ++(c == 0 ? report_.as_found : report_.as_left)[(*check)->pass ? 1 : 0];
        for (std::size_t k = 0; k < check_column_count; ++k)
            added_[first_check_column + c * check_column_count + k] = cells[k];
    }
}

// The expanded uncertainties of the four results, as a certificate states
// them, and the coverage factor of the Calculated Gas (% Vol)'s.
void LogCorrector::set_expanded(const CorrectionUncertainty& u) {
    for (const Result result : all_results)
        expanded_[static_cast<std::size_t>(result)] = certificate_text(u[result].uncertainty.expanded).text;
    expanded_[result_count] = coverage_factor_text(u[Result::calculated_gas_pct].uncertainty.coverage_factor);
    for (std::string& text : expanded_)
        apply_mark(text, rules_);
}

void LogCorrector::write_outcome(const ReadingOutcome& o) {
    if (!o.corrected()) {
        refuse_row(o.message);
        return;
    }
    if (o.uncertainty)
        set_expanded(*o.uncertainty);
    write_corrected(o.correction, &o);
}

// A corrected row: its results, and those of the outcome (its expanded
// uncertainties, set by set_expanded, and its checks) when there is one.
void LogCorrector::write_corrected(const Correction& c, const ReadingOutcome* o) {
    ++report_.corrected;
    std::string warning;
    if (c.warnings.any() || !reader_.bare_quote_fields().empty())
        ++report_.warned;
    if (c.warnings.any())
        warning = joined_warning_texts(c.warnings, query_.units);
    if (copies_text() && !columns_.check && append_plain_row(c.values, warning))
        return;
    // The general way: every added cell, the recorded options' among them.
    clear_added(true);
    if (o && o->uncertainty) {
        for (const Result result : all_results)
            added_[expanded_column(result)] = expanded_[static_cast<std::size_t>(result)];
        added_[coverage_factor_column] = expanded_[result_count];
    }
    if (o)
        set_checks(*o);
    ResultTexts t = c.texts();
    for (std::size_t k = 0; k < result_count; ++k) {
        std::string& text = t.*result_table[k].text;
        apply_mark(text, rules_);
        added_[k] = text;
    }
    added_[warning_column] = warning;
    write_row(fields_, added_);
}

// The common case, kept short: the row as it stands, the cells recording the
// run's options (a decimal comma's mark), then its results (and their
// expanded uncertainties, when the log has them), an empty error and the
// warning. False, with nothing written, when a result's text is too long
// for the short way or has the delimiter in it (the general way quotes it).
bool LogCorrector::append_plain_row(const CorrectionResults& v, std::string_view warning) {
    char tail[256];
    char* const last = tail + sizeof tail - 3;  // room kept for the error's and the warning's delimiters and a line break
    char* p = tail;
    // Each result in turn, the loop unrolled so that the format of each is
    // known where its text is written.
    const auto write_result = [&]<std::size_t k>(std::integral_constant<std::size_t, k>) {
        constexpr const ResultInfo& result = result_table[k];
        *p++ = delimiter_;
        char* const text = p;
        if (!(p = write_formatted(p, last, v.*result.value, result.format)))
            return false;
        if (rules_.decimal_comma) {
            std::replace(text, p, '.', ',');
            return std::find(text, p, delimiter_) == p;
        }
        return true;
    };
    const auto write_results = [&]<std::size_t... k>(std::index_sequence<k...>) {
        return (write_result(std::integral_constant<std::size_t, k>{}) && ...);
    };
    if (!write_results(std::make_index_sequence<result_count>{}))
        return false;
    const std::size_t stated = columns_.coverage ? expanded_.size() : result_count;
    for (std::size_t k = 0; k < stated && columns_.uncertainty; ++k) {
        const std::string& text = expanded_[k];
        if (static_cast<std::size_t>(last - p) < text.size() + 1 || text.find(delimiter_) != std::string::npos)
            return false;
        *p++ = delimiter_;
        p = std::copy(text.begin(), text.end(), p);
    }
    *p++ = delimiter_;
    *p++ = delimiter_;
    if (warning.empty())
        *p++ = '\n';
    out_ += reader_.text();
    for (const auto& [column, cell] : recorded_) {
        out_ += delimiter_;
        append_csv_field(out_, cell, delimiter_);
    }
    out_.append(tail, static_cast<std::size_t>(p - tail));
    if (!warning.empty()) {
        append_csv_field(out_, warning, delimiter_);
        out_ += '\n';
    }
    return true;
}

// Whether the row's own text, as it stands, is what its cells write, with the
// added columns after them.
bool LogCorrector::copies_text() const {
    return !columns_.own_output && fields_.size() == columns_.width && reader_.writes_back_unchanged();
}

// A row's cells in the output's order. When the row's own text reads back as
// its fields, it is copied as it stands.
void LogCorrector::write_row(const std::vector<std::string_view>& cells, const std::vector<std::string_view>& added) {
    // A row read with a bare quote (never copied as it stands) says so in its
    // warning, corrected or refused.
    std::string warning;
    if (state_ == State::rows && &cells == &fields_ && !reader_.bare_quote_fields().empty()) {
        warning.append(added_[warning_column]).append(added_[warning_column].empty() ? "" : "; ");
        added_[warning_column] = warning.append(describe_bare_quotes(reader_.bare_quote_fields()));
    }
    if (&cells == &fields_ && copies_text()) {
        out_ += reader_.text();
        write_cells(cells, added, columns_.width, columns_.plan.size());
    } else {
        write_cells(cells, added, 0, columns_.plan.size());
    }
    out_ += '\n';
}

// Output columns [from, to): input cells and added ones, a delimiter before each but the first.
void LogCorrector::write_cells(const std::vector<std::string_view>& cells,
                               const std::vector<std::string_view>& added,
                               std::size_t from,
                               std::size_t to) {
    for (std::size_t pos = from; pos < to; ++pos) {
        if (pos != 0)
            out_ += delimiter_;
        const int source = columns_.plan[pos];
        if (source < 0)
            append_csv_field(out_, added[static_cast<std::size_t>(-1 - source)], delimiter_);
        else if (static_cast<std::size_t>(source) >= cells.size())
            continue;
        else if (&cells == &fields_ && read_bare(reader_, source))
            out_ += cells[static_cast<std::size_t>(source)];  // as the log had it: quoting it would change its bytes
        else
            append_csv_field(out_, cells[static_cast<std::size_t>(source)], delimiter_);
    }
}

// A record that is no row: its cells empty but the one that carries its text
// whole (unless the rejects take it), and the error naming its line. The text
// is carried as it arrives (carry_text), and the row ended by end_malformed.
void LogCorrector::begin_malformed(const std::string& what) {
    ++report_.malformed;
    malformed_error_ = line_prefix(reader_.line_number()) + what;
    clear_added(false);
    const std::size_t raw = columns_.raw_column;
    write_cells({}, added_, 0, raw);
    if (raw != 0)
        out_ += delimiter_;
    if (!options_.rejects)
        out_ += '"';
    carry(reader_.text());
    state_ = State::carrying;
}

void LogCorrector::carry(std::string_view piece) {
    if (options_.rejects)
        rejects_.append(piece);
    else
        append_quoted_text(out_, piece);
}

// Carries the rest of a malformed record that is too long; false while its end has not arrived.
bool LogCorrector::carry_text() {
    std::string_view piece;
    for (;;) {
        const RecordReader::Step step = reader_.more_text(piece);
        if (step == RecordReader::Step::need_input)
            return false;
        if (step == RecordReader::Step::end)
            return true;
        carry(piece);
    }
}

void LogCorrector::end_malformed() {
    if (options_.rejects)
        rejects_.append(reader_.line_break());
    else
        out_ += '"';
    added_[error_column] = malformed_error_;
    write_cells({}, added_, columns_.raw_column + 1, columns_.plan.size());
    out_ += '\n';
}

std::optional<LogOptions> log_options(const ReadingQuery& query, const MarkHints& hints, std::string& refused) {
    UncertaintiesRead read = read_uncertainties(query.uncertainties, query.known, query.rules, hints);
    if (read.refused) {
        refused = std::move(*read.refused);
        return std::nullopt;
    }
    if (std::optional<std::string> correlations = correlation_refusal(query.known.correlations)) {
        refused = std::move(*correlations);
        return std::nullopt;
    }
    LogOptions options;
    options.units = query.units;
    options.rules = query.rules;
    options.uncertainties = read.values;
    options.coverage_probability = query.coverage_probability;
    CheckRequestsRead checks;
    if (std::optional<std::string> check_refused = read_check_texts(query.check, query.rules, hints, checks)) {
        refused = std::move(*check_refused);
        return std::nullopt;
    }
    for (const CheckInput input : {CheckInput::standard_uncertainty, CheckInput::tolerance}) {
        if (const auto& text = query.check[input])
            options.check_texts[static_cast<std::size_t>(input)] = *text;
    }
    options.decision_rule = query.check.rule;
    for (std::size_t f = 0; f < field_count; ++f) {
        options.uncertainty = options.uncertainty || query.uncertainties[f].has_value();
        if (query.uncertainties[f])
            options.uncertainty_texts[f] = *query.uncertainties[f];
    }
    return options;
}

LogReport correct_log_text(std::string_view log,
                           const LogOptions& options,
                           std::string& out,
                           std::string* rejects,
                           std::size_t chunk) {
    LogCorrector corrector(options);
    const std::size_t step = chunk == 0 ? std::max<std::size_t>(log.size(), 1) : chunk;
    auto take = [&] {
        out += corrector.output();
        corrector.output().clear();
        if (rejects)
            *rejects += corrector.rejects();
        corrector.rejects().clear();
    };
    for (std::size_t at = 0; at < log.size(); at += step) {
        corrector.push(log.substr(at, step));
        take();
    }
    corrector.finish();
    take();
    return corrector.report();
}

}  // namespace kestrane
