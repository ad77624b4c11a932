#include "builder/DropRules.h"

#include <algorithm>
#include <array>

#include "base/Text.h"

namespace vanta {
namespace {

struct TFormatAnswer {
  TDropFormat format;
  TDropType kinds;
  uint32_t effect;
};
// The order of the table is the order of the tests; the first found decides.
constexpr std::array<TFormatAnswer, 8> kAnswers{{
    {TDropFormat::Url, dkUrl, kEffectLink},
    {TDropFormat::FileGroupDescriptor, 0, kEffectNone},
    {TDropFormat::NetscapeBookmark, dkUrl, kEffectLink},
    {TDropFormat::FileName, dkFiles, kEffectCopy},
    {TDropFormat::Html, dkHtml, kEffectCopy},
    {TDropFormat::Text, dkText, kEffectCopy},
    {TDropFormat::Dib, dkPicture, kEffectCopy},
    {TDropFormat::HDrop, 0, kEffectNone},
}};

// A FILEGROUPDESCRIPTOR: the count of entries, then each entry's 72 bytes
// of flags, sizes and times before its name of 260 characters.
constexpr size_t kDescriptorNameOffset = 4 + 72;
constexpr size_t kDescriptorNameSize = 260;
constexpr size_t kHtmlSourceLine = 7;
constexpr size_t kHtmlSourceKey = 10;  // "SourceURL:"

}  // namespace

TDragAnswer AnswerDrag(const std::function<bool(TDropFormat)>& offered, uint32_t allowedEffects) {
  for (const TFormatAnswer& a : kAnswers) {
    if (!offered(a.format)) continue;
    // What the source does not allow is not taken either: a drop that takes
    // something always tells the source what it took.
    if (!(a.effect & allowedEffects)) return {true, 0, kEffectNone};
    return {true, a.kinds, a.effect};
  }
  return {};
}

std::string BlockText(std::string_view block) { return std::string(block.substr(0, block.find('\0'))); }

std::string DescriptorFileName(std::string_view block) {
  if (block.size() <= kDescriptorNameOffset) return {};
  const std::string name = BlockText(block.substr(kDescriptorNameOffset, kDescriptorNameSize));
  const std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string HtmlSourceAddress(const std::vector<std::string>& lines) {
  if (lines.size() <= kHtmlSourceLine) return {};
  const std::string& line = lines[kHtmlSourceLine];
  return line.size() > kHtmlSourceKey ? line.substr(kHtmlSourceKey) : std::string();
}

}  // namespace vanta
