// vantabuild's arguments: [--map C:=DIR]... [--stub FILE] [--level N] SCRIPT
#pragma once
#include <string>
#include <variant>
#include <vector>

#include "Compiler.h"

namespace vanta::build {

inline constexpr const char* kUsage =
    "usage: vantabuild [--map C:=DIR]... [--stub FILE] [--level 1-19] SCRIPT.iss";

// The options, or the reason the arguments are refused. `defaultStub` is
// taken when no --stub is given.
std::variant<TCompileOptions, std::string> ParseArguments(const std::vector<std::string>& args,
                                                          const std::string& defaultStub, bool windowsPaths);

}  // namespace vanta::build
