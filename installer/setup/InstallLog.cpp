#include "InstallLog.h"

#include <cstdint>

namespace vanta::build {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '%') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) throw TLogError("log: a cut escape");
    const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) throw TLogError("log: a bad escape");
    out += char(hi << 4 | lo);
    i += 2;
  }
  return out;
}

std::string RootText(TRegistryRoot r) { return r == TRegistryRoot::LocalMachine ? "HKLM" : "HKCU"; }

TRegistryRoot ParseRoot(std::string_view s) {
  if (s == "HKCU") return TRegistryRoot::CurrentUser;
  if (s == "HKLM") return TRegistryRoot::LocalMachine;
  throw TLogError("log: an unknown root");
}

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.push_back(Unescape(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields;
}

// A decimal number up to `max`, read into 64 bits whatever the build's
// long: a larger one is a damaged log, never an exception of the runtime.
uint64_t ParseNumber(const std::string& s, uint64_t max, const char* what) {
  if (s.empty() || s.size() > 20) throw TLogError(std::string("log: a bad ") + what);
  uint64_t n = 0;
  for (char c : s) {
    const uint64_t digit = uint64_t(c - '0');
    if (c < '0' || c > '9' || n > (UINT64_MAX - digit) / 10) throw TLogError(std::string("log: a bad ") + what);
    n = n * 10 + digit;
    if (n > max) throw TLogError(std::string("log: a bad ") + what);
  }
  return n;
}

constexpr uint64_t kFlagNever = 1, kFlagShared = 2;

std::string FileFlags(const TLogRecord& r) {
  return std::to_string((r.neverUninstall ? kFlagNever : 0) | (r.shared ? kFlagShared : 0));
}
void ParseFileFlags(const std::string& s, TLogRecord& r) {
  const uint64_t flags = ParseNumber(s, kFlagNever | kFlagShared, "flag");
  r.neverUninstall = (flags & kFlagNever) != 0;
  r.shared = (flags & kFlagShared) != 0;
}

constexpr std::pair<TRootKind, const char*> kRootNames[] = {
    {TRootKind::App, "app"}, {TRootKind::File, "file"}, {TRootKind::Key, "key"}, {TRootKind::Ini, "ini"},
};
const char* RootName(TRootKind k) {
  for (const auto& [kind, name] : kRootNames)
    if (kind == k) return name;
  return "?";
}
TRootKind ParseRootKind(const std::string& s) {
  for (const auto& [kind, name] : kRootNames)
    if (s == name) return kind;
  throw TLogError("log: an unknown root");
}

}  // namespace

const std::string& Subject(const TLogRecord& r) {
  switch (r.kind) {
    case TLogKind::App: return r.appName;
    case TLogKind::Folder: return r.folder;
    case TLogKind::Key:
    case TLogKind::Value:
    case TLogKind::DeleteKey: return r.subkey;
    case TLogKind::Root:
      if (r.rootKind == TRootKind::App) return r.folder;
      if (r.rootKind == TRootKind::Key) return r.subkey;
      return r.file;
    case TLogKind::File:
    case TLogKind::Replace:
    case TLogKind::Ini: return r.file;
  }
  return r.file;
}

std::string EncodeRecord(const TLogRecord& r) {
  std::string s(1, static_cast<char>(r.kind));
  auto field = [&s](std::string_view f) {
    s += '\t';
    s += Escape(f);
  };
  switch (r.kind) {
    case TLogKind::App:
      field(r.appName);
      break;
    case TLogKind::Folder:
      field(r.folder);
      break;
    case TLogKind::Root:
      field(RootName(r.rootKind));
      if (r.rootKind == TRootKind::Key) field(RootText(r.root));
      field(Subject(r));
      if (r.rootKind == TRootKind::Ini) {
        field(r.section);
        field(r.key);
      }
      break;
    case TLogKind::File:
      field(r.file);
      field(FileFlags(r));
      break;
    case TLogKind::Replace:
      field(r.file);
      field(r.backup);
      field(FileFlags(r));
      break;
    case TLogKind::Key:
    case TLogKind::DeleteKey:
      field(RootText(r.root));
      field(r.subkey);
      break;
    case TLogKind::Value:
      field(RootText(r.root));
      field(r.subkey);
      field(r.valueName);
      if (r.oldValue) {
        field(std::to_string(r.oldValue->type));
        field(r.oldValue->data);
      } else {
        field("-");
      }
      break;
    case TLogKind::Ini:
      field(r.file);
      field(r.section);
      field(r.key);
      field(r.newText);
      if (r.oldText) {
        field("=");
        field(*r.oldText);
      } else {
        field("-");
      }
      break;
  }
  return s;
}

TLogRecord DecodeRecord(std::string_view line) {
  if (line.size() < 2 || line[1] != '\t') throw TLogError("log: not a record");
  const std::vector<std::string> f = SplitTabs(line.substr(2));
  TLogRecord r;
  r.kind = static_cast<TLogKind>(line[0]);
  auto need = [&f](size_t n) {
    if (f.size() != n) throw TLogError("log: a record with the wrong number of fields");
  };
  switch (r.kind) {
    case TLogKind::App:
      need(1);
      r.appName = f[0];
      break;
    case TLogKind::Folder:
      need(1);
      r.folder = f[0];
      break;
    case TLogKind::Root:
      if (f.empty()) throw TLogError("log: a record with the wrong number of fields");
      r.rootKind = ParseRootKind(f[0]);
      if (r.rootKind == TRootKind::Key) {
        need(3);
        r.root = ParseRoot(f[1]);
        r.subkey = f[2];
      } else if (r.rootKind == TRootKind::Ini) {
        need(4);
        r.file = f[1];
        r.section = f[2];
        r.key = f[3];
      } else {
        need(2);
        (r.rootKind == TRootKind::App ? r.folder : r.file) = f[1];
      }
      break;
    case TLogKind::File:
      need(2);
      r.file = f[0];
      ParseFileFlags(f[1], r);
      break;
    case TLogKind::Replace:
      need(3);
      r.file = f[0];
      r.backup = f[1];
      ParseFileFlags(f[2], r);
      break;
    case TLogKind::Key:
    case TLogKind::DeleteKey:
      need(2);
      r.root = ParseRoot(f[0]);
      r.subkey = f[1];
      break;
    case TLogKind::Value:
      if (f.size() != 4 && f.size() != 5) throw TLogError("log: a record with the wrong number of fields");
      r.root = ParseRoot(f[0]);
      r.subkey = f[1];
      r.valueName = f[2];
      if (f.size() == 5) {
        r.oldValue = TRegValue{uint32_t(ParseNumber(f[3], 0xFFFFFFFFu, "value type")), f[4]};
      } else if (f[3] != "-") {
        throw TLogError("log: a bad old value");
      }
      break;
    case TLogKind::Ini:
      if (f.size() == 6 && f[4] == "=") r.oldText = f[5];
      else if (f.size() != 5 || f[4] != "-") throw TLogError("log: a bad old INI entry");
      r.file = f[0];
      r.section = f[1];
      r.key = f[2];
      r.newText = f[3];
      break;
    default:
      throw TLogError("log: an unknown record kind");
  }
  return r;
}

std::string EncodeLog(const std::vector<TLogRecord>& records) {
  std::string s(kLogHeader);
  s += "\r\n";
  for (const TLogRecord& r : records) s += EncodeRecord(r) + "\r\n";
  return s;
}

std::vector<TLogRecord> DecodeLog(std::string_view text) {
  std::vector<TLogRecord> records;
  bool header = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    if (header) {
      if (line == kOlderLogHeader) throw TLogError("the uninstall log of an older version of the setup");
      if (line != kLogHeader) throw TLogError("not an uninstall log");
      header = false;
      continue;
    }
    if (line.empty()) continue;
    records.push_back(DecodeRecord(line));
  }
  if (header) throw TLogError("not an uninstall log");
  return records;
}

TLogRecord AppRecord(const std::string& name) {
  TLogRecord r;
  r.kind = TLogKind::App;
  r.appName = name;
  return r;
}

TLogRecord FolderRecord(const std::string& path) {
  TLogRecord r;
  r.kind = TLogKind::Folder;
  r.folder = path;
  return r;
}

TLogRecord RootRecord(TRootKind kind, const std::string& path) {
  TLogRecord r;
  r.kind = TLogKind::Root;
  r.rootKind = kind;
  switch (kind) {
    case TRootKind::App: r.folder = path; break;
    case TRootKind::Key: r.subkey = path; break;
    case TRootKind::File:
    case TRootKind::Ini: r.file = path; break;
  }
  return r;
}

TLogRecord KeyRootRecord(TRegistryRoot root, const std::string& subkey) {
  TLogRecord r = RootRecord(TRootKind::Key, subkey);
  r.root = root;
  return r;
}

TLogRecord IniRootRecord(const std::string& file, const std::string& section, const std::string& key) {
  TLogRecord r = RootRecord(TRootKind::Ini, file);
  r.section = section;
  r.key = key;
  return r;
}

TLogRecord FileRecord(const std::string& path, bool neverUninstall, bool shared) {
  TLogRecord r;
  r.kind = TLogKind::File;
  r.file = path;
  r.neverUninstall = neverUninstall;
  r.shared = shared;
  return r;
}

TLogRecord ReplaceRecord(const std::string& path, const std::string& backup, bool neverUninstall, bool shared) {
  TLogRecord r = FileRecord(path, neverUninstall, shared);
  r.kind = TLogKind::Replace;
  r.backup = backup;
  return r;
}

TLogRecord KeyRecord(TRegistryRoot root, const std::string& subkey) {
  TLogRecord r;
  r.kind = TLogKind::Key;
  r.root = root;
  r.subkey = subkey;
  return r;
}

TLogRecord ValueRecord(TRegistryRoot root, const std::string& subkey, const std::string& name, std::optional<TRegValue> old) {
  TLogRecord r = KeyRecord(root, subkey);
  r.kind = TLogKind::Value;
  r.valueName = name;
  r.oldValue = std::move(old);
  return r;
}

TLogRecord IniRecord(const std::string& file, const std::string& section, const std::string& key, std::string written,
                     std::optional<std::string> old) {
  TLogRecord r;
  r.kind = TLogKind::Ini;
  r.file = file;
  r.section = section;
  r.key = key;
  r.newText = std::move(written);
  r.oldText = std::move(old);
  return r;
}

TLogRecord DeleteKeyRecord(TRegistryRoot root, const std::string& subkey) {
  TLogRecord r = KeyRecord(root, subkey);
  r.kind = TLogKind::DeleteKey;
  return r;
}

TRegValue StringValue(std::string_view text) { return {kRegString, std::string(text) + '\0'}; }

uint32_t DwordOf(const std::optional<TRegValue>& v) {
  if (!v || v->type != kRegDword || v->data.size() != 4) return 0;
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = n << 8 | uint8_t(v->data[size_t(i)]);
  return n;
}

TRegValue DwordValue(uint32_t v) {
  std::string d(4, '\0');
  for (int i = 0; i < 4; ++i) d[i] = char(v >> (8 * i));
  return {kRegDword, d};
}

}  // namespace vanta::build
