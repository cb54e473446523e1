#include "results.h"

namespace kestrane {

std::string_view result_unit_text(Result result, UnitSelection units) {
    switch (info(result).unit) {
        case ResultUnit::percent: break;
        case ResultUnit::chosen_pressure: return selected_unit(UnitKind::pressure, units).text;
        case ResultUnit::inches_of_mercury: return pressure_units[0].text;
    }
    return "%";
}

}  // namespace kestrane
