#include "forms/units/report_units.h"

#include "forms/window.h"

namespace forms {

Grid::Grid(Window& window, const UnitRecord& record)
    : Unit(window, record), data_source_(DecodeLink(record.settings)->linked_unit) {}

DataSrc* Grid::data_source() const {
  return dynamic_cast<DataSrc*>(window().FindUnitByName(data_source_));
}

DataSrc::DataSrc(Window& window, const UnitRecord& record)
    : Unit(window, record), provider_(DecodeLink(record.settings)->linked_unit) {}

NProvider* DataSrc::provider() const {
  return dynamic_cast<NProvider*>(window().FindUnitByName(provider_));
}

}  // namespace forms
