// Where a saver's show stopped, kept per user in a small file of its own
// beside the user's settings ("<InstanceName>.place" in the user's folder),
// so the next start goes on from there: the rest of the shuffled round, or
// the next entry in list order.
//
// The file names the list it was taken for (PictureListKey): a list changed
// since (pictures added, removed or moved, or the order mode switched)
// starts afresh. A missing, damaged or foreign file reads as no place, and
// a file that cannot be written is left as it was; neither is reported,
// the show simply starts as it would without one. Written atomically.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "show/PictureDeck.h"

namespace vanta {

// The place file of a saver: userFolder (with its delimiter) + instance name.
std::string ShowPlaceFileName(const std::string& userFolder, const std::string& instanceName);

std::string FormatShowPlace(uint64_t listKey, const TDeckPlace& place);
// The place in the text, when it is whole and was taken for listKey.
std::optional<TDeckPlace> ParseShowPlace(std::string_view text, uint64_t listKey);

std::optional<TDeckPlace> LoadShowPlace(const std::string& fileName, uint64_t listKey) noexcept;
// False when it could not be written (the caller goes on regardless).
bool SaveShowPlace(const std::string& fileName, uint64_t listKey, const TDeckPlace& place) noexcept;

}  // namespace vanta
