#include "ProgramResources.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace vanta::build {
namespace {

// Offsets of the PE format (the same in PE32 and PE32+ unless paired).
constexpr size_t kNewHeaderAt = 0x3C, kSectionHeader = 40, kDirectoryHeader = 16, kDirectoryEntry = 8, kDataEntry = 16;
constexpr size_t kInitializedData = 8, kSectionAlignment = 32, kFileAlignment = 36, kImageSize = 56, kChecksum = 64;
constexpr int kResourceDirectory = 2, kSecurityDirectory = 4, kRelocationDirectory = 5;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kMaxResources = 4096;

uint32_t Get(std::string_view b, size_t at, int bytes) {
  if (at > b.size() || size_t(bytes) > b.size() - at) throw TProgramFileError("the program file is damaged: it ends early");
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
  return v;
}
void Set(std::string& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char(v >> (8 * i));
}
uint32_t AlignUp(uint32_t v, uint32_t to) { return to ? (v + to - 1) / to * to : v; }

struct TSection {
  size_t header = 0;  // where its header lies in the file
  uint32_t virtualSize = 0, address = 0, rawSize = 0, raw = 0;
  uint32_t End() const { return address + std::max(virtualSize, rawSize); }
};

struct THeaders {
  size_t optional = 0, directories = 0;
  uint32_t directoryCount = 0, sectionAlignment = 0, fileAlignment = 0;
  std::vector<TSection> sections;

  uint32_t DirectoryAddress(std::string_view b, int i) const { return i < int(directoryCount) ? Get(b, directories + 8 * size_t(i), 4) : 0; }
  uint32_t DirectorySize(std::string_view b, int i) const { return i < int(directoryCount) ? Get(b, directories + 8 * size_t(i) + 4, 4) : 0; }
  // The section holding an address; -1 none.
  int SectionOf(uint32_t address) const {
    for (size_t i = 0; i < sections.size(); ++i)
      if (address >= sections[i].address && address < sections[i].End()) return int(i);
    return -1;
  }
};

THeaders ReadHeaders(std::string_view b) {
  if (b.size() < 0x40 || b.substr(0, 2) != "MZ") throw TProgramFileError("not a Windows program");
  const size_t pe = Get(b, kNewHeaderAt, 4);
  if (Get(b, pe, 4) != 0x4550) throw TProgramFileError("not a Windows program");
  THeaders h;
  const uint32_t count = Get(b, pe + 6, 2), optionalSize = Get(b, pe + 20, 2);
  h.optional = pe + 24;
  const uint32_t magic = Get(b, h.optional, 2);
  if (magic != 0x10B && magic != 0x20B) throw TProgramFileError("not a Windows program");
  const size_t counted = h.optional + (magic == 0x10B ? 92 : 108);
  h.directoryCount = std::min<uint32_t>(Get(b, counted, 4), 16);
  h.directories = counted + 4;
  if (h.directories + 8 * size_t(h.directoryCount) > h.optional + optionalSize) throw TProgramFileError("the program file is damaged");
  h.sectionAlignment = Get(b, h.optional + kSectionAlignment, 4);
  h.fileAlignment = Get(b, h.optional + kFileAlignment, 4);
  for (uint32_t i = 0; i < count; ++i) {
    TSection s;
    s.header = h.optional + optionalSize + i * kSectionHeader;
    s.virtualSize = Get(b, s.header + 8, 4);
    s.address = Get(b, s.header + 12, 4);
    s.rawSize = Get(b, s.header + 16, 4);
    s.raw = Get(b, s.header + 20, 4);
    if (s.rawSize && (s.raw > b.size() || s.rawSize > b.size() - s.raw)) throw TProgramFileError("the program file is damaged: a section lies beyond its end");
    h.sections.push_back(s);
  }
  return h;
}

// ---- Reading the resource tree (three levels: type, name, language).

class TTreeReader {
 public:
  TTreeReader(std::string_view section, uint32_t address) : section_(section), address_(address) {}

  void Directory(size_t at, int level, TResource& path, std::vector<TResource>& out) {
    const uint32_t named = Get(section_, at + 12, 2), numbered = Get(section_, at + 14, 2);
    for (uint32_t i = 0; i < named + numbered; ++i) {
      const size_t entry = at + kDirectoryHeader + i * kDirectoryEntry;
      const uint32_t name = Get(section_, entry, 4), offset = Get(section_, entry + 4, 4);
      TResourceId id;
      if (name & kHighBit) id.text = Text(name & ~kHighBit);
      else id.number = uint16_t(name);
      if (level == 0) path.type = id;
      else if (level == 1) path.name = id;
      else path.language = id.number;
      const bool directory = (offset & kHighBit) != 0;
      if (directory != (level < 2)) throw TProgramFileError("the program's resources are damaged");
      if (directory) Directory(offset & ~kHighBit, level + 1, path, out);
      else out.push_back(Leaf(offset, path));
      if (out.size() > kMaxResources) throw TProgramFileError("the program has too many resources");
    }
  }

 private:
  std::u16string Text(size_t at) const {
    const uint32_t n = Get(section_, at, 2);
    std::u16string s;
    for (uint32_t i = 0; i < n; ++i) s += char16_t(Get(section_, at + 2 + 2 * i, 2));
    return s;
  }
  TResource Leaf(size_t at, TResource path) const {
    const uint32_t address = Get(section_, at, 4), size = Get(section_, at + 4, 4);
    path.codePage = Get(section_, at + 8, 4);
    if (address < address_ || address - address_ > section_.size() || size > section_.size() - (address - address_))
      throw TProgramFileError("the program's resources are damaged: data outside their section");
    path.data = std::string(section_.substr(address - address_, size));
    return path;
  }
  std::string_view section_;
  uint32_t address_;
};

// ---- Writing it: directories, then names, then data entries, then data.

bool IdLess(const TResourceId& a, const TResourceId& b) {
  const bool an = !a.text.empty(), bn = !b.text.empty();
  if (an != bn) return an;  // named entries come first
  return an ? a.text < b.text : a.number < b.number;
}

struct TLeafLess {
  bool operator()(const TResource* a, const TResource* b) const {
    if (IdLess(a->type, b->type) || IdLess(b->type, a->type)) return IdLess(a->type, b->type);
    if (IdLess(a->name, b->name) || IdLess(b->name, a->name)) return IdLess(a->name, b->name);
    return a->language < b->language;
  }
};

class TTreeWriter {
 public:
  std::string Write(const std::vector<TResource>& resources, uint32_t address) {
    std::vector<const TResource*> leaves;
    for (const TResource& r : resources) leaves.push_back(&r);
    std::sort(leaves.begin(), leaves.end(), TLeafLess());
    for (size_t i = 1; i < leaves.size(); ++i)
      if (!TLeafLess()(leaves[i - 1], leaves[i])) throw TProgramFileError("two resources of the same type, name and language");
    // Runs of the same type, and within them of the same name.
    std::vector<std::vector<std::vector<const TResource*>>> types;
    for (size_t i = 0; i < leaves.size(); ++i) {
      if (i == 0 || !(leaves[i]->type == leaves[i - 1]->type)) types.emplace_back();
      if (i == 0 || !(leaves[i]->type == leaves[i - 1]->type) || !(leaves[i]->name == leaves[i - 1]->name)) types.back().emplace_back();
      types.back().back().push_back(leaves[i]);
    }
    size_t directories = DirectorySize(types.size());
    for (const auto& names : types) {
      directories += DirectorySize(names.size());
      for (const auto& languages : names) directories += DirectorySize(languages.size());
    }
    size_t strings = directories, texts = 0;
    for (const auto& names : types) {
      texts += TextSize(names.front().front()->type);
      for (const auto& languages : names) texts += TextSize(languages.front()->name);
    }
    dataEntries_ = AlignUp(uint32_t(strings + texts), 4);
    data_ = AlignUp(uint32_t(dataEntries_ + kDataEntry * leaves.size()), 8);
    out_.assign(data_, '\0');
    nextDirectory_ = 0;
    nextText_ = strings;
    nextEntry_ = dataEntries_;
    address_ = address;
    // Breadth first: the root, the types' directories, the names'.
    const size_t root = Directory(types.size(), NamedCount(types, [](const auto& n) { return n.front().front()->type; }));
    std::vector<size_t> typeAt, nameAt;
    for (const auto& names : types) typeAt.push_back(Directory(names.size(), NamedCount(names, [](const auto& l) { return l.front()->name; })));
    for (const auto& names : types)
      for (const auto& languages : names) nameAt.push_back(Directory(languages.size(), 0));
    size_t n = 0;
    for (size_t t = 0; t < types.size(); ++t) {
      Entry(root, t, types[t].front().front()->type, kHighBit | uint32_t(typeAt[t]));
      for (size_t m = 0; m < types[t].size(); ++m, ++n) {
        Entry(typeAt[t], m, types[t][m].front()->name, kHighBit | uint32_t(nameAt[n]));
        for (size_t l = 0; l < types[t][m].size(); ++l) Entry(nameAt[n], l, {types[t][m][l]->language, {}}, Data(*types[t][m][l]));
      }
    }
    return out_;
  }

 private:
  static size_t DirectorySize(size_t entries) { return kDirectoryHeader + kDirectoryEntry * entries; }
  static size_t TextSize(const TResourceId& id) { return id.text.empty() ? 0 : 2 + 2 * id.text.size(); }
  template <class List, class IdOf>
  static size_t NamedCount(const List& list, IdOf idOf) {
    return size_t(std::count_if(list.begin(), list.end(), [&](const auto& x) { return !idOf(x).text.empty(); }));
  }
  size_t Directory(size_t entries, size_t named) {
    const size_t at = nextDirectory_;
    nextDirectory_ += DirectorySize(entries);
    Set(out_, at + 12, uint32_t(named), 2);
    Set(out_, at + 14, uint32_t(entries - named), 2);
    return at;
  }
  void Entry(size_t directory, size_t i, const TResourceId& id, uint32_t offset) {
    const size_t at = directory + kDirectoryHeader + i * kDirectoryEntry;
    if (id.text.empty()) {
      Set(out_, at, id.number, 4);
    } else {
      Set(out_, at, kHighBit | uint32_t(nextText_), 4);
      Set(out_, nextText_, uint32_t(id.text.size()), 2);
      for (size_t c = 0; c < id.text.size(); ++c) Set(out_, nextText_ + 2 + 2 * c, id.text[c], 2);
      nextText_ += TextSize(id);
    }
    Set(out_, at + 4, offset, 4);
  }
  uint32_t Data(const TResource& r) {
    const size_t entry = nextEntry_;
    nextEntry_ += kDataEntry;
    out_.resize(AlignUp(uint32_t(out_.size()), 8), '\0');
    Set(out_, entry, address_ + uint32_t(out_.size()), 4);
    Set(out_, entry + 4, uint32_t(r.data.size()), 4);
    Set(out_, entry + 8, r.codePage, 4);
    out_ += r.data;
    return uint32_t(entry);
  }
  std::string out_;
  size_t nextDirectory_ = 0, nextText_ = 0, nextEntry_ = 0;
  uint32_t dataEntries_ = 0, data_ = 0, address_ = 0;
};

}  // namespace

std::vector<TResource> ReadResources(std::string_view program) {
  const THeaders h = ReadHeaders(program);
  const uint32_t address = h.DirectoryAddress(program, kResourceDirectory);
  if (address == 0) return {};
  const int i = h.SectionOf(address);
  if (i < 0) throw TProgramFileError("the program's resources lie outside its sections");
  const TSection& s = h.sections[size_t(i)];
  const std::string_view section = program.substr(s.raw, s.virtualSize ? std::min(s.rawSize, s.virtualSize) : s.rawSize);
  std::vector<TResource> out;
  TResource path;
  TTreeReader(section, s.address).Directory(address - s.address, 0, path, out);
  return out;
}

std::string WithResources(std::string_view program, const std::vector<TResource>& resources) {
  const THeaders h = ReadHeaders(program);
  if (h.DirectoryAddress(program, kSecurityDirectory) != 0) throw TProgramFileError("the program is signed: its resources cannot change");
  const int r = h.SectionOf(h.DirectoryAddress(program, kResourceDirectory));
  if (r < 0 || h.sections[size_t(r)].address != h.DirectoryAddress(program, kResourceDirectory))
    throw TProgramFileError("the program has no resource section of its own");
  const TSection rsrc = h.sections[size_t(r)];
  // After the resources at most the relocations, last in memory and in the file.
  const size_t after = h.sections.size() - size_t(r) - 1;
  const uint32_t relocations = h.DirectoryAddress(program, kRelocationDirectory);
  if (after > 1 || (after == 1 && (relocations == 0 || h.SectionOf(relocations) != r + 1)))
    throw TProgramFileError("the program's resources are not its last section");
  for (int i = 0; i < r; ++i) {
    const TSection& s = h.sections[size_t(i)];
    if (s.End() > rsrc.address || (s.rawSize && s.raw + s.rawSize > rsrc.raw))
      throw TProgramFileError("the program's resources are not its last section");
  }
  const TSection& last = h.sections.back();
  if (program.size() != size_t(last.raw) + last.rawSize) throw TProgramFileError("the program file has data after its last section");

  const std::string tree = TTreeWriter().Write(resources, rsrc.address);
  const uint32_t rawSize = AlignUp(uint32_t(tree.size()), h.fileAlignment);
  std::string out(program.substr(0, rsrc.raw));
  out += tree;
  out.resize(size_t(rsrc.raw) + rawSize, '\0');
  Set(out, rsrc.header + 8, uint32_t(tree.size()), 4);
  Set(out, rsrc.header + 16, rawSize, 4);
  Set(out, h.directories + 8 * kResourceDirectory + 4, uint32_t(tree.size()), 4);
  uint32_t imageEnd = rsrc.address + uint32_t(tree.size());
  if (after == 1) {
    const TSection& reloc = h.sections.back();
    const uint32_t moved = AlignUp(imageEnd, h.sectionAlignment);
    Set(out, reloc.header + 12, moved, 4);
    Set(out, reloc.header + 20, uint32_t(out.size()), 4);
    Set(out, h.directories + 8 * kRelocationDirectory, relocations - reloc.address + moved, 4);
    out += program.substr(reloc.raw, reloc.rawSize);
    imageEnd = moved + std::max(reloc.virtualSize, reloc.rawSize);
  }
  Set(out, h.optional + kImageSize, AlignUp(imageEnd, h.sectionAlignment), 4);
  const uint32_t initialized = Get(program, h.optional + kInitializedData, 4);
  Set(out, h.optional + kInitializedData, initialized - std::min(initialized, rsrc.rawSize) + rawSize, 4);
  Set(out, h.optional + kChecksum, ProgramChecksum(out), 4);
  return out;
}

std::string WithIcon(std::string_view program, const std::vector<TIconEntry>& images) {
  if (images.empty()) throw TProgramFileError("an icon without images");
  std::vector<TResource> resources;
  for (TResource& r : ReadResources(program))
    if (!r.type.text.empty() || (r.type.number != kResourceIcon && r.type.number != kResourceGroupIcon)) resources.push_back(std::move(r));
  for (size_t i = 0; i < images.size(); ++i) resources.push_back({{kResourceIcon, {}}, {uint16_t(i + 1), {}}, 0, 0, images[i].bytes});
  resources.push_back({{kResourceGroupIcon, {}}, {kSetupIconGroup, {}}, 0, 0, GroupIconBytes(images, 1)});
  return WithResources(program, resources);
}

uint32_t ProgramChecksum(std::string_view program) {
  const size_t skip = ReadHeaders(program).optional + kChecksum;
  uint64_t sum = 0;
  for (size_t i = 0; i < program.size(); i += 2) {
    if (i == skip || i == skip + 2) continue;
    sum += uint8_t(program[i]) | (i + 1 < program.size() ? uint32_t(uint8_t(program[i + 1])) << 8 : 0u);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return uint32_t(sum + program.size());
}

}  // namespace vanta::build
