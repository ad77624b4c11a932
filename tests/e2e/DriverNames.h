// The controls the driver knows by name. The two windows' resource headers
// cannot meet in one file (they share macro names), so the builder's names
// come from a file of their own.
#pragma once
#include <span>

struct TNamed {
  const char* name;
  int id;
};
extern const std::span<const TNamed> kBuilderControls;
extern const std::span<const TNamed> kBuilderMenu;
