// Correcting a whole CSV log: every row is one reading, and the output is the
// log itself with the results, an error and a warning column for each row.
//
// The corrector is fed the log a chunk at a time and gives back the bytes
// that are ready after each, so the command line's read loop and the page's
// stream of a file drive the same code, and memory stays bounded whatever the
// length of the log.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "csv.h"
#include "log_header.h"
#include "reading/evaluate.h"

namespace kestrane {

struct LogOptions {
    // The units of rows with no unit column, or an empty unit cell.
    UnitSelection units{};
    // How the cells are read; with a decimal comma the results are written so too.
    ReadingRules rules{};
    // The log's delimiter, which its output keeps; detect_delimiter lets the
    // header decide among log_delimiters.
    char delimiter = detect_delimiter;
    // The longest record read whole; a longer one becomes a malformed row.
    std::size_t max_record = RecordReader::default_max_record;
    // Whether each malformed record's text goes to rejects(), as it stood in
    // the log with its line break, instead of into its row.
    bool rejects = false;
    // The uncertainties of rows with no uncertainty column, or an empty cell,
    // and every row's degrees of freedom and correlations; with uncertainty
    // (or a column of uncertainties in the log), each row gets its results'
    // expanded uncertainties, and with a coverage probability the coverage
    // factor they are stated with.
    UncertaintyInputs uncertainties;
    bool uncertainty = false;
    std::optional<double> coverage_probability;
    // The uncertainties' texts as given (empty: none). A log with no column of
    // one gets that column, as it gets one for a unit other than the default,
    // so that correcting the output again with no options gives it back.
    std::array<std::string, field_count> uncertainty_texts;
    // The analyzer's check in rows with no cell of their own: its standard
    // uncertainty's and tolerance's texts (empty: none; the readings come
    // from the rows alone), and the decision rule. A log without a column of
    // one given gets it, as it does for an uncertainty.
    std::array<std::string, check_input_count> check_texts;
    DecisionRule decision_rule = DecisionRule::simple;

    static constexpr char detect_delimiter = '\0';
};

// Why a log could not be corrected.
enum class LogFailure {
    none,
    bad_header,  // no header row, a required column missing or doubled, a header that does not read, UTF-16
};

// What a pass over a log did.
struct LogReport {
    std::size_t rows = 0;       // data rows read, each written back whatever became of it
    std::size_t corrected = 0;  // rows with four results
    std::size_t refused = 0;    // rows whose reading was refused (a range, a text that is no number, a unit)
    std::size_t malformed = 0;  // records that could not be read as a row (fields, quoting, length)
    std::size_t blank = 0;      // rows whose cells are all empty, passed through
    std::size_t warned = 0;     // corrected rows with a warning
    // The analyzer's checks, when the log has its readings: rows passed and
    // failed as found, and as left.
    bool checked = false;
    bool checked_as_left = false;
    std::array<std::size_t, 2> as_found{};  // failed, passed
    std::array<std::size_t, 2> as_left{};
    LogFailure failure = LogFailure::none;
    std::string message;  // why, when failure is not none
};

// Adds the counts of a report of another part of the same log (whose header
// found the same columns) to report.
LogReport& operator+=(LogReport& report, const LogReport& part);

// "4 rows read, 2 corrected, 1 refused, 1 malformed", as a summary says it;
// with the analyzer's checks "...; as found 3 passed, 1 failed; as left 4 passed, 0 failed".
std::string log_summary(const LogReport& report);

// What a log's header settles for every row after it: its delimiter and its
// columns (the added ones and those recording the options among them), so
// that a corrector can start at any record after the header.
struct LogLayout {
    char delimiter = ',';
    LogColumns columns;
};

// Reads a log whose first record is its header, which must name the six field
// columns and may name the unit columns and any others, in any order. Writes
// every row as soon as it is read: its fields unchanged, then the added
// columns. A log that kestrane-cli wrote (its header ends in the added
// columns) gets them filled in place, so that correcting it again gives it
// back unchanged. A refused row carries its message and no results; a
// malformed record its line and what is wrong, and its text in its first
// column (unless it goes to the rejects). With a bad header nothing is written.
class LogCorrector {
public:
    explicit LogCorrector(const LogOptions& options);
    // A corrector of the rows of a log whose header another read with the
    // same options, settling layout: its input starts at the start of a record
    // on line `line`, and it writes no header.
    LogCorrector(const LogOptions& options, const LogLayout& layout, std::size_t line);

    // Corrects the rows that the chunk completes; their bytes are appended to output().
    void push(std::string_view chunk);
    // The log has ended: the rest is corrected.
    void finish();

    // The corrected log's bytes so far that the caller has not taken: write them, then clear.
    std::string& output() { return out_; }
    // Likewise, the malformed records' texts, with the rejects option.
    std::string& rejects() { return rejects_; }
    const LogReport& report() const { return report_; }
    bool failed() const { return report_.failure != LogFailure::none; }
    // The header's layout, once the header has been read.
    std::optional<LogLayout> layout() const;
    // Whether the input pushed so far ends where a record ended, but for the
    // `ahead` bytes of the next record pushed after it; false before the header.
    bool between_records(std::size_t ahead) const;

private:
    enum class State { header, rows, carrying, done };

    void run();
    bool read_header();
    bool choose_delimiter();
    void read_rows();
    void take_row();
    void correct_row();
    void refuse_row(std::string_view message);
    void record_options();
    void plan_recorded();
    bool row_rules();
    void clear_added(bool recorded);
    bool row_uncertainties(UncertaintyInputs& uncertainties);
    bool row_check(CheckSettings& check);
    void set_checks(const ReadingOutcome& outcome);
    void set_expanded(const CorrectionUncertainty& u);
    void write_outcome(const ReadingOutcome& outcome);
    void write_corrected(const Correction& c, const ReadingOutcome* outcome);
    bool append_plain_row(const CorrectionResults& v, std::string_view warning);
    bool copies_text() const;
    void write_row(const std::vector<std::string_view>& cells, const std::vector<std::string_view>& added);
    void write_cells(const std::vector<std::string_view>& cells,
                     const std::vector<std::string_view>& added,
                     std::size_t from,
                     std::size_t to);
    void begin_malformed(const std::string& what);
    bool carry_text();
    void carry(std::string_view piece);
    void end_malformed();
    bool all_empty() const;
    void fail(std::string message);

    LogOptions options_;
    RecordReader reader_;
    State state_ = State::header;
    char delimiter_ = ',';  // the log's, once its header is read
    LogColumns columns_;
    ReadingRules rules_;  // the row's: the options', with its decimal mark
    ReadingQuery query_;  // the row's reading, its texts the row's cells
    std::vector<std::string_view> fields_;
    std::vector<std::string_view> added_;  // the added columns' cells of the row being written
    // The columns that record this run's options, after the log's own: their names and cells.
    std::vector<std::pair<std::string_view, std::string_view>> recorded_;
    std::string malformed_error_;  // of the record being carried
    // The row's expanded uncertainties' texts, in Result order, and its coverage factor's.
    std::array<std::string, result_count + 1> expanded_;
    // The row's checks' cells, as found and as left.
    std::array<std::string, 2 * check_column_count> checks_;
    // The text each uncertainty column last read and its value: most logs
    // give one uncertainty for a whole run, read once rather than on every row.
    struct ReadUncertainty {
        std::string text;
        bool decimal_comma = false;
        std::optional<InputUncertainty> value;
    };
    std::array<ReadUncertainty, field_count> last_uncertainties_;
    std::string out_;
    std::string rejects_;
    LogReport report_;
};

// The options of a log corrected with a reading's settings: its units, its
// rules, its uncertainties, read from their texts (which the corrected log
// records as columns), degrees of freedom and correlations, and its coverage
// probability. Nothing, with the message in refused, when an uncertainty's
// text is refused or the correlations cannot hold together.
std::optional<LogOptions> log_options(const ReadingQuery& query, const MarkHints& hints, std::string& refused);

// Corrects a whole log held in memory, fed to a corrector chunk bytes at a
// time (all at once for 0): for tests and in-process use.
LogReport correct_log_text(std::string_view log,
                           const LogOptions& options,
                           std::string& out,
                           std::string* rejects = nullptr,
                           std::size_t chunk = 0);

}  // namespace kestrane
