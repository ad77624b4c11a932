#include "FakeTarget.h"

#include <algorithm>

#include "TextRules.h"
#include "setup/InstallTransaction.h"

namespace vanta::build {

std::string TFakeTarget::Lower(std::string s) { return LowerText(std::move(s)); }

std::string TFakeTarget::Key(TRegistryRoot root, const std::string& subkey) {
  return Lower((root == TRegistryRoot::LocalMachine ? "hklm\\" : "hkcu\\") + subkey);
}

void TFakeTarget::Change(const std::string& what) {
  if (++changes == failAt) throw TInstallError("injected fault at " + what);
}

void TFakeTarget::NeedParent(const std::string& path) {
  const std::string parent = ParentFolder(path);
  if (!parent.empty() && parent.size() > 3 && !FolderExists(parent)) throw TInstallError("no folder " + parent);
}

bool TFakeTarget::FileExists(const std::string& path) { return state.files.count(Lower(path)) > 0; }
bool TFakeTarget::FolderExists(const std::string& path) { return state.folders.count(Lower(path)) > 0; }

void TFakeTarget::CreateFolder(const std::string& path) {
  Change("create folder " + path);
  NeedParent(path);
  if (FileExists(path)) throw TInstallError("a file is in the way: " + path);
  state.folders.insert(Lower(path));
  if (openFolders.count(Lower(ParentFolder(path)))) openFolders.insert(Lower(path));
}

bool TFakeTarget::FolderIsEmpty(const std::string& path) {
  const std::string prefix = Lower(path) + "\\";
  auto inside = [&](const std::string& p) { return p.rfind(prefix, 0) == 0; };
  return std::none_of(state.files.begin(), state.files.end(), [&](const auto& f) { return inside(f.first); }) &&
         std::none_of(state.folders.begin(), state.folders.end(), inside);
}

bool TFakeTarget::FolderOpenToUsers(const std::string& path) { return openFolders.count(Lower(path)) > 0; }

void TFakeTarget::ProtectFolder(const std::string& path) {
  Change("protect " + path);
  if (!FolderExists(path)) throw TInstallError("no folder " + path);
  openFolders.erase(Lower(path));
  protectedFolders.insert(Lower(path));
}

bool TFakeTarget::RemoveFolderIfEmpty(const std::string& path) {
  if (!FolderIsEmpty(path)) return false;
  return state.folders.erase(Lower(path)) > 0;
}

void TFakeTarget::WriteFile(const std::string& path, const TFileProducer& produce) {
  Change("write " + path);
  NeedParent(path);
  if (FolderExists(path)) throw TInstallError("a folder is in the way: " + path);
  if (FileExists(path)) throw TInstallError("a file is in the way: " + path);
  // Only checked bytes reach the path; a failed write leaves nothing.
  std::string bytes;
  produce([&](const void* data, size_t n) { bytes.append(static_cast<const char*>(data), n); });
  state.files[Lower(path)] = bytes;
}

void TFakeTarget::RenameFile(const std::string& from, const std::string& to) {
  Change("move " + from);
  auto it = state.files.find(Lower(from));
  if (it == state.files.end() || FileExists(to)) throw TInstallError("cannot move " + from);
  state.files[Lower(to)] = it->second;
  state.files.erase(Lower(from));
}

void TFakeTarget::AppendFile(const std::string& path, const std::string& bytes) {
  Change("append " + path);
  NeedParent(path);
  state.files[Lower(path)] += bytes;
}

bool TFakeTarget::RemoveFile(const std::string& path) {
  if (inUse.count(Lower(path))) return false;
  return state.files.erase(Lower(path)) > 0;
}

bool TFakeTarget::RemoveAtRestart(const std::string& path) { return atRestart.insert(Lower(path)).second; }
bool TFakeTarget::RenameAtRestart(const std::string& from, const std::string& to) {
  return renamedAtRestart.emplace(Lower(from), Lower(to)).second;
}

std::optional<std::string> TFakeTarget::LoadFile(const std::string& path) {
  auto it = state.files.find(Lower(path));
  if (it == state.files.end()) return std::nullopt;
  return it->second;
}

bool TFakeTarget::KeyExists(TRegistryRoot root, const std::string& subkey) { return state.keys.count(Key(root, subkey)) > 0; }

std::optional<TRegValue> TFakeTarget::ReadValue(TRegistryRoot root, const std::string& subkey, const std::string& name) {
  auto key = state.keys.find(Key(root, subkey));
  if (key == state.keys.end()) return std::nullopt;
  auto v = key->second.find(Lower(name));
  if (v == key->second.end()) return std::nullopt;
  return v->second;
}

void TFakeTarget::WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& v) {
  Change("value " + subkey + "\\" + name);
  for (size_t cut = subkey.find('\\'); cut != std::string::npos; cut = subkey.find('\\', cut + 1))
    state.keys[Key(root, subkey.substr(0, cut))];
  state.keys[Key(root, subkey)][Lower(name)] = v;
}

void TFakeTarget::DeleteValue(TRegistryRoot root, const std::string& subkey, const std::string& name) {
  auto key = state.keys.find(Key(root, subkey));
  if (key != state.keys.end()) key->second.erase(Lower(name));
}

bool TFakeTarget::DeleteKeyIfEmpty(TRegistryRoot root, const std::string& subkey) {
  const std::string k = Key(root, subkey);
  auto it = state.keys.find(k);
  if (it == state.keys.end() || !it->second.empty()) return false;
  for (const auto& other : state.keys)
    if (other.first.rfind(k + "\\", 0) == 0) return false;
  state.keys.erase(it);
  return true;
}

void TFakeTarget::DeleteKeyTree(TRegistryRoot root, const std::string& subkey) {
  const std::string k = Key(root, subkey);
  for (auto it = state.keys.begin(); it != state.keys.end();) {
    if (it->first == k || it->first.rfind(k + "\\", 0) == 0) it = state.keys.erase(it);
    else ++it;
  }
}

std::optional<std::string> TFakeTarget::ReadIni(const std::string& file, const std::string& section, const std::string& key) {
  auto it = state.ini.find(Lower(file + "|" + section + "|" + key));
  if (it == state.ini.end()) return std::nullopt;
  return it->second;
}

void TFakeTarget::WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
  Change("ini " + key);
  state.ini[Lower(file + "|" + section + "|" + key)] = value;
}

void TFakeTarget::DeleteIni(const std::string& file, const std::string& section, const std::string& key) {
  state.ini.erase(Lower(file + "|" + section + "|" + key));
}

void TFakeTarget::CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters) {
  Change("shortcut " + link);
  NeedParent(link);
  state.files[Lower(link)] = "LNK:" + target + (parameters.empty() ? "" : " " + parameters);
}

std::string TFakeTarget::ShortPath(const std::string& path) {
  auto it = shortPaths.find(Lower(path));
  return it == shortPaths.end() ? std::string() : it->second;
}

}  // namespace vanta::build
