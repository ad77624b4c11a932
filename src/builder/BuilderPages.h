// The builder's five pages (Win32), in the side bar's order, made for one
// frame. The frame reaches them only through the page interface
// (TBuilderPageBase); what drives the window from outside (its tests) may
// reach a page's own parts through the named page.
#pragma once
#include <array>

#include "builder/BuildPage.h"
#include "builder/BuilderPage.h"
#include "builder/EffectsPage.h"
#include "builder/ImagesPage.h"
#include "builder/MusicPage.h"
#include "builder/OptionsPage.h"

namespace vanta {

struct TBuilderPages {
  TBuilderPages(IBuilderFrame& frame, const TBuilderSeams& seams)
      : Images(frame, seams.Scheduler, seams.Shell),
        Music(frame, seams.Shell, seams.Music),
        Effects(frame, seams.Scheduler),
        Options(frame, seams.Shell),
        Build(frame, seams.Scheduler, seams.Shell) {}
  TBuilderPages(const TBuilderPages&) = delete;
  TBuilderPages& operator=(const TBuilderPages&) = delete;

  TBuilderPageBase& operator[](TBuilderPage page) const { return *All[page]; }

  TImagesPage Images;
  TMusicPage Music;
  TEffectsPage Effects;
  TOptionsPage Options;
  TBuildPage Build;
  const std::array<TBuilderPageBase*, kBuilderPages> All{&Images, &Music, &Effects, &Options, &Build};
};

}  // namespace vanta
