// A small Windows program file laid out as the linker lays out the setup
// program: code, an empty resource section, relocations last.
#pragma once
#include <cstdint>
#include <string>

namespace vanta::build::test {

inline void Put(std::string& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char(v >> (8 * i));
}
inline uint32_t Got(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
  return v;
}

// Where the fields the tests look at lie.
inline constexpr size_t kOptional = 0x58, kDirectories = kOptional + 96, kSections = kOptional + 224;
inline constexpr size_t kTextRaw = 0x200, kRelocHeader = kSections + 2 * 40;

inline std::string FakeProgram() {
  std::string b(0x800, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put(b, 0x3C, 0x40, 4);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  Put(b, 0x44, 0x14C, 2);   // i386
  Put(b, 0x46, 3, 2);       // sections
  Put(b, 0x54, 224, 2);     // optional header
  Put(b, 0x56, 0x102, 2);
  Put(b, kOptional, 0x10B, 2);
  Put(b, kOptional + 8, 0x400, 4);  // initialised data
  Put(b, kOptional + 16, 0x1000, 4);
  Put(b, kOptional + 28, 0x400000, 4);
  Put(b, kOptional + 32, 0x1000, 4);
  Put(b, kOptional + 36, 0x200, 4);
  Put(b, kOptional + 56, 0x4000, 4);
  Put(b, kOptional + 60, 0x200, 4);
  Put(b, kOptional + 68, 2, 2);
  Put(b, kOptional + 92, 16, 4);
  Put(b, kDirectories + 16, 0x2000, 4);  // resources: an empty root
  Put(b, kDirectories + 20, 16, 4);
  Put(b, kDirectories + 40, 0x3000, 4);  // relocations: one block of two
  Put(b, kDirectories + 44, 12, 4);
  const struct {
    const char* name;
    uint32_t size, address, raw;
  } sections[] = {{".text", 0x20, 0x1000, kTextRaw}, {".rsrc", 16, 0x2000, 0x400}, {".reloc", 12, 0x3000, 0x600}};
  for (int i = 0; i < 3; ++i) {
    const size_t h = kSections + 40 * size_t(i);
    b.replace(h, std::string(sections[i].name).size(), sections[i].name);
    Put(b, h + 8, sections[i].size, 4);
    Put(b, h + 12, sections[i].address, 4);
    Put(b, h + 16, 0x200, 4);
    Put(b, h + 20, sections[i].raw, 4);
  }
  for (int i = 0; i < 0x20; ++i) b[kTextRaw + size_t(i)] = char(0x90 + i);
  Put(b, 0x600, 0x1000, 4);
  Put(b, 0x604, 12, 4);
  Put(b, 0x608, 0x3004, 2);
  Put(b, 0x60A, 0x3010, 2);
  return b;
}

}  // namespace vanta::build::test
