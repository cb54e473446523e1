// The field table gives the texts the dialog starts with, and each field's names.
#include <gtest/gtest.h>

#include "core/fields.h"

namespace kestrane {
namespace {

TEST(FieldTable, DefaultTextsAsTheDialogWritesThem) {
    const std::pair<Field, const char*> cases[] = {
        {Field::target_gas, "20.95"}, {Field::target_pressure, "30.00"}, {Field::barometric_pressure, "30.00"},
        {Field::temperature, "75"},   {Field::altitude, "   0"},         {Field::relative_humidity, " 50"},
    };
    for (const auto& [field, text] : cases)
        EXPECT_EQ(default_text(field), text) << info(field).label;
}

// A log's header names its columns in any case, with blanks around; an option's
// name or a near miss is not a column.
TEST(FieldTable, ColumnNames) {
    const std::pair<const char*, std::optional<Field>> cases[] = {
        {"target_gas", Field::target_gas},
        {" Target_Gas", Field::target_gas},
        {"RELATIVE_HUMIDITY\t", Field::relative_humidity},
        {"Temperature", Field::temperature},
        {"humidity", std::nullopt},
        {"target gas", std::nullopt},
        {"Relative Humidity (%)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, field] : cases)
        EXPECT_EQ(field_of_column(name), field) << "column \"" << name << "\"";
}

}  // namespace
}  // namespace kestrane
