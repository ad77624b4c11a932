// Photos made smaller for a setup: "Make photos smaller for sharing".
//
// A JPEG, PNG or WebP photo larger than the chosen screen size is decoded
// upright (its Exif orientation applied), scaled down by area averaging to
// fit that size and written as a JPEG copy into a folder of the compile
// folder; the setup ships the copy. The user's files are only ever read.
// A photo that fits already, or whose copy would not be smaller, ships as
// it is. Copies are made on several threads, and a manifest beside them
// lets the next build reuse every copy whose photo has not changed.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/PictureLoader.h"

namespace vanta {

inline constexpr const char* kPhotoFolderName = "Photos";
inline constexpr const char* kShrinkManifestName = "photos.lst";
inline constexpr int kShrinkQuality = 90;

// The screen sizes offered, the first the default.
inline constexpr TPictureSize kShrinkSizes[] = {{3840, 2160}, {1920, 1080}};
inline constexpr const char* kShrinkSizeCaptions[] = {"3840 x 2160", "1920 x 1080"};

struct TShrinkOptions {
  bool Enabled = false;
  TPictureSize Box = kShrinkSizes[0];
  int Quality = kShrinkQuality;
  TColor Background = 0;  // under a transparent photo
};

// A photo of a kind that is made smaller: ".jpg", ".jpeg", ".png", ".webp".
bool ShrinkableKind(std::string_view file);

// The base names (without extension) the photos go into the setup under,
// one for each source in order: the photo's own, with " (2)", " (3)"...
// when an earlier photo took it, letter case ignored. A copy then ends in
// ".jpg" (a JPEG's own extension kept), a photo that ships as it is in its
// own extension, and no two can meet whatever each turns out to be.
std::vector<std::string> ShippedStems(const std::vector<std::string>& sources);

// What one photo ships as.
struct TShippedPhoto {
  std::string Source;   // the user's file
  std::string Shipped;  // the file the setup takes: Source, or a copy
  uint64_t SourceBytes = 0, ShippedBytes = 0;
  bool Shrunk = false;  // Shipped is a smaller copy
  bool Reused = false;  // made by an earlier build, its photo unchanged
};

struct TShrinkReport {
  std::vector<TShippedPhoto> Photos;  // in the order given
  size_t Shrunk = 0, Reused = 0;
  uint64_t Before = 0, After = 0;     // bytes of all photos, before and after
};

// Makes the copies of sources in folder (made when missing), on `threads`
// threads (0: the machine's cores). progress(done, total) is called on the
// calling thread as photos are done. A photo that cannot be read ships as
// it is; a copy that cannot be written is a TBuildError.
TShrinkReport ShrinkPhotos(const std::vector<std::string>& sources, const std::string& folder,
                           const TShrinkOptions& options, unsigned threads,
                           const std::function<void(size_t done, size_t total)>& progress);

// The status lines of a report: how many photos were made smaller and what
// that saved; none when no photo was made smaller.
std::vector<std::string> ShrinkSummary(const TShrinkReport& report);

// A size in bytes as people read it: "812 KB", "41.2 MB", "1.25 GB".
std::string ByteSize(uint64_t bytes);

// The setup's size before it is built, from the files' sizes and the
// photos' headers: what the pictures and music take, with and without
// making the photos smaller (a copy taken to keep the source's bytes per
// pixel).
struct TSetupEstimate {
  uint64_t AsTheyAre = 0, Smaller = 0;
};
TSetupEstimate EstimateSetup(const std::vector<std::string>& pictures, const std::vector<std::string>& music,
                             TPictureSize box);
// The Build page's line for it.
std::string EstimateText(const TSetupEstimate& e, bool shrinking);

// A photo's natural (upright) size from its header alone; nullopt when the
// header does not tell.
std::optional<TPictureSize> PhotoHeaderSize(const std::string& file);

}  // namespace vanta
