// The range of an integer editor. A value given to it is clamped into the
// range; text that is not a whole number reads as the lower end.
#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/Text.h"

namespace vanta {

struct TSpinRange {
  int32_t MinValue;
  int32_t MaxValue;

  int32_t Clamp(int64_t value) const { return static_cast<int32_t>(std::clamp<int64_t>(value, MinValue, MaxValue)); }
  // Blanks around the number are allowed; a whole number too large for any
  // integer type still clamps by its sign.
  int32_t Read(std::string_view text) const {
    const std::optional<int64_t> v = ParseDecimal(Trim(text));
    return v ? Clamp(*v) : MinValue;
  }
};

inline constexpr TSpinRange kAnyInteger{INT32_MIN, INT32_MAX};

}  // namespace vanta
