// What the drop target of the builder's lists decides, apart from OLE.
//
// A drag over a list offers data in several formats; the first known one
// decides what kind of thing is dragged and which effect (the cursor, and
// what the source is told) the drop answers with. The texts of a drop are
// read here from the bytes of its formats, each bounded by its block, so a
// source that forgets a terminating zero cannot make us read past it.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanta {

// The kinds of data found over the window (a set of bits).
using TDropType = uint8_t;
enum TDropKind : TDropType { dkText = 1, dkPicture = 2, dkUrl = 4, dkFiles = 8, dkHtml = 16 };

// The formats a drag is asked for, in the order they are tried: the five
// registered ones, then the standard ones.
enum class TDropFormat : uint8_t { Url, FileGroupDescriptor, NetscapeBookmark, FileName, Html, Text, Dib, HDrop };
inline constexpr const char* kRegisteredFormatNames[] = {"UniformResourceLocator", "FileGroupDescriptor",
                                                         "Netscape Bookmark", "FileName", "HTML Format"};

// The drop effects, as OLE numbers them.
inline constexpr uint32_t kEffectNone = 0, kEffectCopy = 1, kEffectMove = 2, kEffectLink = 4;

struct TDragAnswer {
  bool Known = false;      // some format was found: the drag is answered S_OK
  TDropType Kinds = 0;     // what a drop would deliver
  uint32_t Effect = kEffectNone;
  bool operator==(const TDragAnswer&) const = default;
};

// The answer to a drag over the window: the first format offered decides
// (a web link: link; files or HTML or text or a picture: copy). A format
// that delivers nothing here (files that exist only inside the source, the
// shell's file list without "FileName") is answered but gets no effect, and
// nothing the builder takes is ever moved: the effect is what the source
// allows of the one wanted, else none (and then nothing is taken), so no
// source deletes what it dragged.
TDragAnswer AnswerDrag(const std::function<bool(TDropFormat)>& offered, uint32_t allowedEffects);

// The text at the start of a format's block, up to its first zero or the
// block's end.
std::string BlockText(std::string_view block);
// The file name of the first entry of a "FileGroupDescriptor" block without
// its extension; empty when the block is too short to hold one.
std::string DescriptorFileName(std::string_view block);
// Lines of a text, split at CR LF, LF or CR.
std::vector<std::string> SplitLines(std::string_view text);
// The source address of an "HTML Format" block: line 7 from its 11th
// character ("SourceURL:" comes first). A block of fewer than eight lines
// has none.
std::string HtmlSourceAddress(const std::vector<std::string>& lines);

}  // namespace vanta
