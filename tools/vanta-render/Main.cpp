// vanta-render: composes one frame of a transition (or every frame of a
// run) between two pictures and writes it as a BMP file, exactly as the
// picture surface composes it.
//
//   vanta-render --old OLD.bmp --new NEW.bmp --effect N --progress P
//                [--step S] [--seed K] --out OUT.bmp
//   vanta-render --old OLD.bmp --new NEW.bmp --effect N [--step S] [--seed K]
//                [--reverse] --frames DIR
//
// Bad input gives one line on standard error and exit status 2, and writes
// nothing.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "BmpFile.h"
#include "PictureMode.h"
#include "base/Random.h"
#include "engine/Effects.h"

namespace {

using namespace vanta;

constexpr int kBadInput = 2, kWriteFailed = 1;

int Fail(const std::string& message, int status = kBadInput) {
  std::fprintf(stderr, "vanta-render: %s\n", message.c_str());
  return status;
}

// A whole decimal number in [lo, hi].
bool ParseNumber(const std::string& text, long long lo, long long hi, long long& out) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  out = std::stoll(text);
  return out >= lo && out <= hi;
}

bool MakeFolder(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
#if defined(_WIN32)
  return mkdir(dir.c_str()) == 0;
#else
  return mkdir(dir.c_str(), 0777) == 0;
#endif
}

int Run(int argc, char** argv) {
  std::map<std::string, std::string> opt;
  bool reverse = false;
  static const char* kValued[] = {"--old", "--new", "--effect", "--progress", "--step", "--seed", "--out", "--frames"};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--reverse") {
      reverse = true;
      continue;
    }
    bool known = false;
    for (const char* k : kValued) known |= a == k;
    if (!known) return Fail("unknown option " + a);
    if (i + 1 >= argc) return Fail(a + " needs a value");
    opt[a] = argv[++i];
  }
  for (const char* k : {"--old", "--new", "--effect"})
    if (!opt.count(k)) return Fail(std::string("missing ") + k);
  const bool frames = opt.count("--frames") != 0;
  if (frames == (opt.count("--out") != 0)) return Fail("give exactly one of --out and --frames");
  if (!frames && !opt.count("--progress")) return Fail("missing --progress");

  long long effect = 0, progress = 0, step = 4, seed = 0;
  if (!ParseNumber(opt["--effect"], 0, 255, effect)) return Fail("--effect must be 0..255");
  if (opt.count("--progress") && !ParseNumber(opt["--progress"], 0, 100, progress))
    return Fail("--progress must be 0..100");
  if (opt.count("--step") && !ParseNumber(opt["--step"], 1, 100, step)) return Fail("--step must be 1..100");
  if (opt.count("--seed") && !ParseNumber(opt["--seed"], 0, 0xFFFFFFFFll, seed))
    return Fail("--seed must be 0..4294967295");

  TBitmap24 oldImage, newImage;
  std::string error;
  if (!ReadBmp24(opt["--old"], oldImage, error) || !ReadBmp24(opt["--new"], newImage, error)) return Fail(error);
  if (oldImage.Width() != newImage.Width() || oldImage.Height() != newImage.Height())
    return Fail("the two pictures differ in size");

  TBitmap24 screen = oldImage;
  SetRandSeed(static_cast<uint32_t>(seed));
  if (!frames) {
    ComposeFrame(oldImage, newImage, screen, static_cast<int>(progress), static_cast<int>(step),
                 static_cast<int>(effect));
    if (!WriteBmp24(opt["--out"], screen)) return Fail("cannot write " + opt["--out"], kWriteFailed);
    return 0;
  }

  // A whole run as the surface steps it: the first frame, then Step by
  // Step to the end; effect 0 without a handler ends after one frame.
  const std::string dir = opt["--frames"];
  if (!MakeFolder(dir)) return Fail("cannot make folder " + dir, kWriteFailed);
  int p = reverse ? 100 : 0;
  for (int n = 0;; ++n) {
    const TFrameResult r = ComposeFrame(oldImage, newImage, screen, p, static_cast<int>(step), static_cast<int>(effect));
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%03d.bmp", n);
    if (!WriteBmp24(dir + name, screen)) return Fail("cannot write " + dir + name, kWriteFailed);
    if (r.ForceComplete || (reverse ? p == 0 : p == 100)) break;
    p = reverse ? (p < step ? 0 : p - static_cast<int>(step)) : std::min(p + static_cast<int>(step), 100);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (vanta::IsPictureCommand(args)) return vanta::RunPictureCommand(args, std::cerr);
    return Run(argc, argv);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
