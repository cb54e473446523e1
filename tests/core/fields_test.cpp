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

}  // namespace
}  // namespace kestrane
