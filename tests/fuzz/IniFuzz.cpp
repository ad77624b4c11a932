// The settings reader gets files from anywhere (projects, copied savers).
// Whatever the bytes: no crash, an untouched document gives back exactly
// its bytes, and a written value reads back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/IniDocument.h"

using vanta::TIniDocument;

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TIniDocument doc(text);
  Check(doc.Text() == text);

  for (const char* section : {"Set", "Caption", "Pictures", "Transitions"}) {
    size_t bytes = 0;
    for (const std::string& key : doc.ReadSectionKeys(section)) {
      bytes += key.size() + 1;
      Check(doc.ReadString(section, key, "").size() <= TIniDocument::kMaxValueChars);
      doc.ReadInteger(section, key, 7);
    }
    Check(bytes <= TIniDocument::kKeyListBytes);
  }

  // Use the input's own first line as a key and its tail as a value.
  const std::string key = text.substr(0, std::min<size_t>(text.find('\n'), 40));
  const std::string value = size > 40 ? text.substr(40, 80) : "v";
  doc.WriteString("Fuzz", key, value);
  doc.WriteInteger("Set", "ImageInterval", static_cast<int32_t>(size));
  TIniDocument again(doc.Text());
  Check(again.ReadInteger("Set", "ImageInterval", -1) == static_cast<int32_t>(size));
  doc.EraseSection("Pictures");
  Check(TIniDocument(doc.Text()).ReadSectionKeys("Pictures").empty());
  return 0;
}
