// The units behind the receipts: a grid shows the table held by a data
// source, which keeps its cells in a provider. Here they are plain units
// with their link by name; the report table itself is attached by the
// report library.
#pragma once

#include "forms/settings.h"
#include "forms/unit.h"

namespace forms {

class DataSrc;
class NProvider;

class Grid : public Unit {
 public:
  Grid(Window& window, const UnitRecord& record);
  // The name of the data source that feeds it.
  const Text& data_source_name() const { return data_source_; }
  // The data source of the same window, or null.
  DataSrc* data_source() const;

 protected:
  int PropertyCount() const override { return 18; }

 private:
  Text data_source_;
};

class DataSrc : public Unit {
 public:
  DataSrc(Window& window, const UnitRecord& record);
  const Text& provider_name() const { return provider_; }
  NProvider* provider() const;

 protected:
  int PropertyCount() const override { return 12; }

 private:
  Text provider_;
};

class NProvider : public Unit {
 public:
  NProvider(Window& window, const UnitRecord& record) : Unit(window, record) {}

 protected:
  int PropertyCount() const override { return 10; }
};

}  // namespace forms
