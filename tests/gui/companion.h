// kestrane-cli.exe as the other side of a comparison with the dialog: many readings
// corrected in one run of its --csv mode, each reading exactly as a user would
// enter it in the dialog (six field texts and the texts of three list entries).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "driver.h"

namespace gui {

struct Reading {
    std::array<std::wstring, 6> fields;  // 1005 to 1010
    std::array<int, 3> units{};          // selections of lists 1054, 1055, 1056
};

// Enters a reading into the dialog, and writes marker into the four result fields
// so that results left from an earlier press cannot pass for new ones.
void enter(const Session& s, const Reading& reading, const std::wstring& marker);
// The reading the dialog holds now.
Reading read_reading(const Session& s);

// What kestrane-cli printed for one reading: four result texts in the order of the
// fields 1011 to 1014, and the error (a refusal's message), empty when it corrected it.
struct Answer {
    std::array<std::wstring, 4> results;
    std::wstring error;
};

// Corrects every reading in one run of kestrane-cli.exe --csv; unit_texts are the
// entries of the three lists, as the dialog shows them. The answers come in the
// readings' order; on failure answers is empty and failure says why.
std::vector<Answer> ask_companion(const std::wstring& cli_exe,
                                  const std::array<std::vector<std::wstring>, 3>& unit_texts,
                                  const std::vector<Reading>& readings,
                                  std::string& failure);

// Corrects one reading given as kestrane-cli's options rather than a log, for a
// text a log cannot carry (a carriage return ends a log's line). ASCII texts only.
Answer ask_companion(const std::wstring& cli_exe,
                     const std::array<std::vector<std::wstring>, 3>& unit_texts,
                     const Reading& reading,
                     std::string& failure);

// UTF-8, and a text with every character outside printable ASCII written as \u{hex}
// (cut after limit characters, with the length of the whole text).
std::string utf8(const std::wstring& text);
std::string visible(const std::wstring& text, std::size_t limit = 80);

}  // namespace gui
