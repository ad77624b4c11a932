// The compiler reads scripts that anyone may have edited. Whatever the
// text: no crash, and every script it accepts packs into an index that the
// setup's own reader accepts and reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Compiler.h"
#include "PathRules.h"
#include "Script.h"

using namespace vanta::build;

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TScript script;
  try {
    script = ParseScript(text);
  } catch (const TScriptError& e) {
    Check(e.Line() >= 0);
    return 0;
  }
  for (const TFileLine& f : script.files) {
    Check(!CheckRelativePath(f.destDir.relative));
    Check(f.destName.empty() || !CheckFileName(f.destName));
  }
  const TPayloadIndex index = IndexOfScript(script);
  try {
    Check(DecodeIndex(EncodeIndex(index)) == index);
  } catch (const TPayloadError&) {
    std::abort();  // accepted by the compiler, refused by the setup
  }
  return 0;
}
