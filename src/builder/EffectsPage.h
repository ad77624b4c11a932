// The Effects page (Win32): the effect tree with its ticks and buttons, the
// preview that shows the effect clicked, and the speed.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "builder/BuilderPage.h"
#include "builder/EffectTree.h"
#include "settings/IniFile.h"

namespace vanta {

class TRunVantascreen;
namespace platform {
class TWin32SurfaceHost;
}

class TEffectsPage final : public TBuilderPageBase {
 public:
  // Posted after a click or Space in the tree, when its tick has turned.
  static constexpr UINT kStyleCheckMessage = WM_APP + 30;

  // The preview runs on scheduler.
  TEffectsPage(IBuilderFrame& frame, platform::IScheduler& scheduler);
  ~TEffectsPage() override;

  void Write(const TConfigControls& c) override;
  void Read(TConfigControls& c) const override;
  void Selected() override;
  void Settled() override;
  void Dropping() override;
  // A project was loaded: the tree is filled again at the next visit.
  void ProjectLoaded() override { tree_.Filled = false; }
  void BackgroundChanged() override;

  TRunVantascreen* PreviewRunner() const { return previewRunner_.get(); }
  HWND PreviewWindow() const;
  const TEffectTree& Tree() const { return tree_; }

 protected:
  std::span<const TPlace> Layout() const override;
  std::span<const TAnchor> Anchors() const override;
  void SetUp() override;
  bool Command(int id, int code, HWND control) override;
  INT_PTR PageMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateTree();
  void ShowTicks();
  void TicksChanged(bool changed);
  void CheckReported(LPARAM clicked);
  void NodeClicked();
  void StartPreview(int32_t style);  // in the panel, at its size
  void ExpandAll(bool expand);
  void SpeedScroll();

  // The tree's model (Filled is its marker) and its items in tree order; the
  // effect table, opened on the first visit.
  platform::IScheduler& scheduler_;
  TEffectTree tree_ = DesignEffectTree();
  std::vector<void*> items_;
  std::unique_ptr<TIniFile> effectTable_;
  // The drivers before the windows they draw on.
  std::unique_ptr<platform::TWin32SurfaceHost> previewHost_;
  std::unique_ptr<TRunVantascreen> previewRunner_;  // EffectPreviewRunner
};

}  // namespace vanta
