// The Music page (Win32): the music list with its buttons and drop target,
// and playing the selected entry.
#pragma once
#include <windows.h>

#include <memory>

#include "builder/BuilderPage.h"
#include "builder/CheckListView.h"
#include "builder/QELOLEDrop.h"

namespace vanta {

class TMusicPage final : public TBuilderPageBase {
 public:
  // shell asks for files; music plays the tunes tried.
  TMusicPage(IBuilderFrame& frame, platform::IShell& shell, TMusicSet& music);
  ~TMusicPage() override;

  void Write(const TConfigControls& c) override;
  void Dropping() override;
  TQELOLEDrop* DropTarget() const { return drop_.get(); }

 protected:
  std::span<const TPlace> Layout() const override;
  std::span<const TAnchor> Anchors() const override;
  void SetUp() override;
  bool Command(int id, int code, HWND control) override;
  INT_PTR PageMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Show() { view_.Show(frame_.Record().MusicList); }
  void AddClick();
  void PlayClick();

  platform::IShell& shell_;
  TMusicSet& music_;
  TCheckListView view_;
  // Revoked while the list still exists: before the window goes.
  std::unique_ptr<TQELOLEDrop> drop_;
};

}  // namespace vanta
