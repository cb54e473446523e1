// A record file read line by line: what it may hold (comments, blank lines, a
// byte order mark, CRLF, blanks around names and texts, any Unicode) and each
// line it refuses, by its number.
#include <gtest/gtest.h>

#include <string>

#include "core/record.h"

namespace kestrane {
namespace {

TEST(RecordFile, ReadOrRefusedByLine) {
    const struct {
        const char* name;
        std::string text;
        std::string problem;  // empty: read
        std::string lab_name;
    } cases[] = {
        {"CommentsAndBlanks", "# lab\n\n  lab-name =  Gas Lab \n\n", "", "Gas Lab"},
        {"ByteOrderMarkAndCrLf", "\xEF\xBB\xBFlab-name=Gas Lab\r\nissue-date = 2025-03-17\r\n", "", "Gas Lab"},
        {"EqualsInTheText", "lab-name = A = B & C, \xE6\xB8\xAC\xE5\xAE\x9A\n", "",
         "A = B & C, \xE6\xB8\xAC\xE5\xAE\x9A"},
        {"TwoHundredCharacters", "lab-name=" + std::string(200, 'x'), "", std::string(200, 'x')},
        {"NoEquals", "# lab\nlab-name Gas Lab\n", "line 2: no \"=\": write each field as FIELD = TEXT", ""},
        {"UnknownField", "lab = Gas Lab\n",
         "line 1: unknown field \"lab\"; the fields are lab-name, lab-address, record-number, customer, item-make, "
         "item-model, item-serial, reference-gas-cylinder, reference-gas-certificate, barometer, calibration-date, "
         "issue-date, operator, authorized-by",
         ""},
        {"Repeated", "lab-name = A\n\noperator = B\nlab-name = C\n", "line 4: lab-name again (first on line 1)", ""},
        {"TooLong", "customer = " + std::string(201, 'y') + "\n", "line 1: customer is longer than 200 characters", ""},
    };
    for (const auto& c : cases) {
        Record record;
        const auto problem = read_record_text(c.text, record);
        EXPECT_EQ(problem.value_or(""), c.problem) << c.name;
        if (c.problem.empty()) {
            EXPECT_EQ(record[RecordField::lab_name].value_or(""), c.lab_name) << c.name;
        }
    }
    // Characters are counted, not bytes: 200 of two bytes each are one line's most.
    std::string two_byte;
    for (int i = 0; i < 200; ++i)
        two_byte += "\xC3\x85";
    EXPECT_FALSE(record_text_problem(two_byte));
    EXPECT_TRUE(record_text_problem(two_byte + "x"));
}

}  // namespace
}  // namespace kestrane
