// Stand-ins for the platform's seams that tests hand to what they test: a
// registry in memory, user folders of the test's choosing, libraries made
// of scripted entries, and media devices whose plays end when the test says.
#pragma once
#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/MediaControl.h"
#include "platform/Registry.h"

namespace vanta::test {

// Keys in any letter case, as the registry's.
class TFakeRegistry final : public platform::IRegistry {
 public:
  std::optional<std::string> CurrentUserDefault(const std::string& subKey) override { return Find("HKCU", subKey); }
  std::optional<std::string> LocalMachineDefault(const std::string& subKey) override { return Find("HKLM", subKey); }
  std::optional<int32_t> CurrentUserDword(const std::string& subKey, const std::string& valueName) override {
    const auto it = dwords_.find(LowerCase(subKey) + '\n' + LowerCase(valueName));
    if (it == dwords_.end()) return std::nullopt;
    return it->second;
  }

  // nullopt removes the value.
  void SetCurrentUserDefault(const std::string& subKey, std::optional<std::string> value) {
    Set("HKCU", subKey, std::move(value));
  }
  void SetLocalMachineDefault(const std::string& subKey, std::optional<std::string> value) {
    Set("HKLM", subKey, std::move(value));
  }
  void SetCurrentUserDword(const std::string& subKey, const std::string& valueName, std::optional<int32_t> value) {
    const std::string key = LowerCase(subKey) + '\n' + LowerCase(valueName);
    if (value) dwords_[key] = *value;
    else dwords_.erase(key);
  }

 private:
  std::optional<std::string> Find(const std::string& root, const std::string& subKey) const {
    const auto it = texts_.find(root + LowerCase(subKey));
    if (it == texts_.end()) return std::nullopt;
    return it->second;
  }
  void Set(const std::string& root, const std::string& subKey, std::optional<std::string> value) {
    if (value) texts_[root + LowerCase(subKey)] = *value;
    else texts_.erase(root + LowerCase(subKey));
  }
  std::map<std::string, std::string> texts_;
  std::map<std::string, int32_t> dwords_;
};

// The folders a test set; the others are fallback's (none without one).
class TFakeUserFolders final : public platform::IUserFolders {
 public:
  explicit TFakeUserFolders(platform::IUserFolders* fallback = nullptr) : fallback_(fallback) {}
  std::string Folder(platform::TUserFolder kind) override {
    const auto it = folders_.find(kind);
    if (it != folders_.end()) return it->second;
    return fallback_ ? fallback_->Folder(kind) : std::string();
  }
  void Set(platform::TUserFolder kind, std::string folder) { folders_[kind] = std::move(folder); }

 private:
  platform::IUserFolders* fallback_;
  std::map<platform::TUserFolder, std::string> folders_;
};

// Libraries registered by path, their entries by name.
class TFakeLibraries final : public platform::IDynamicLibraries {
 public:
  platform::TLibraryHandle Load(const std::string& path) override {
    const auto it = libraries_.find(path);
    if (it == libraries_.end()) return nullptr;
    ++loaded_;
    return it->second.get();
  }
  void* Entry(platform::TLibraryHandle library, const char* name) override {
    if (!library || !name) return nullptr;
    const auto& entries = *static_cast<TEntries*>(library);
    const auto it = entries.find(name);
    return it == entries.end() ? nullptr : it->second;
  }
  void Free(platform::TLibraryHandle library) override {
    if (library) --loaded_;
  }

  void Register(const std::string& path, std::map<std::string, void*> entries) {
    libraries_[path] = std::make_unique<TEntries>(std::move(entries));
  }
  // Loads minus frees since the last Clear.
  int Loaded() const { return loaded_; }
  void Clear() {
    libraries_.clear();
    loaded_ = 0;
  }

 private:
  using TEntries = std::map<std::string, void*>;
  std::map<std::string, std::unique_ptr<TEntries>> libraries_;
  int loaded_ = 0;
};

// Media devices that open files beginning with "RIFF" or "MThd" and log
// every request as "close", "open NAME", "play", "stop" (a failed open as
// "open-failed NAME"). A play's end is queued until Deliver, as the message
// loop would deliver the system's notification. Devices must go before it.
class TFakeMediaDevices {
 public:
  platform::TMediaControlFactory Factory() {
    return [this] { return std::make_unique<TDevice>(*this); };
  }
  const std::vector<std::string>& Log() const { return log_; }
  // Ends the play request of every playing device, as the system does when
  // a file plays to its end; the notifications are queued.
  void FinishPlays() {
    for (TDevice* d : devices_) d->Finish();
  }
  // Delivers the queued notifications; returns how many.
  int Deliver() {
    int n = 0;
    while (!queued_.empty()) {
      TDevice* d = queued_.front();
      queued_.erase(queued_.begin());
      ++n;
      if (d->OnNotify) d->OnNotify();
    }
    return n;
  }

 private:
  class TDevice final : public platform::IMediaControl {
   public:
    explicit TDevice(TFakeMediaDevices& owner) : owner_(owner) { owner_.devices_.push_back(this); }
    ~TDevice() override {
      std::erase(owner_.devices_, this);
      std::erase(owner_.queued_, this);
    }
    void Close() override {
      if (!open_) return;
      owner_.log_.push_back("close");
      // A play request cut short by closing is not reported (as the Win32
      // holder's): only its own end, a stop or a failure is.
      playing_ = false;
      open_ = false;
    }
    void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
    void Open() override {
      if (!LooksPlayable(fileName_)) {
        owner_.log_.push_back("open-failed " + fileName_);
        throw std::runtime_error("cannot open " + fileName_);
      }
      owner_.log_.push_back("open " + fileName_);
      open_ = true;
    }
    void Play() override {
      if (!open_) throw std::runtime_error("no device open");
      owner_.log_.push_back("play");
      Halt();  // a new play request supersedes the one that runs
      playing_ = true;
    }
    bool IsPlaying() override { return playing_; }
    void Stop() override {
      if (!open_) throw std::runtime_error("no device open");
      owner_.log_.push_back("stop");
      Halt();
    }
    void Finish() {
      if (playing_) Halt();
    }

   private:
    static bool LooksPlayable(const std::string& fileName) {
      std::ifstream in(fileName, std::ios::binary);
      char magic[4] = {};
      if (!in.read(magic, 4)) return false;
      const std::string m(magic, 4);
      return m == "RIFF" || m == "MThd";
    }
    // A play request that ends in any way is notified.
    void Halt() {
      if (!playing_) return;
      playing_ = false;
      owner_.queued_.push_back(this);
    }
    TFakeMediaDevices& owner_;
    std::string fileName_;
    bool open_ = false;
    bool playing_ = false;
  };

  std::vector<std::string> log_;
  std::vector<TDevice*> devices_;
  std::vector<TDevice*> queued_;  // one entry per pending notification
};

}  // namespace vanta::test
