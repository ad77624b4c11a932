// vanta-render: draws what the engine makes into files. This build knows
// the picture mode (PictureMode.h).
#include <iostream>
#include <string>
#include <vector>

#include "PictureMode.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (vanta::IsPictureCommand(args)) return vanta::RunPictureCommand(args, std::cerr);
  std::cerr << "usage: vanta-render --picture FILE --out OUT.bmp [--box W H] [--color RRGGBB]\n";
  return 2;
}
