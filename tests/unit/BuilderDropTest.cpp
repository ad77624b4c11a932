// The drop target's decisions: which format decides a drag, the effect it
// answers with, and the texts read from the formats' blocks.
#include <gtest/gtest.h>

#include <set>

#include "builder/DropRules.h"

namespace vanta {
namespace {

using enum TDropFormat;

TDragAnswer Answer(std::set<TDropFormat> offered, uint32_t allowed = kEffectCopy | kEffectMove | kEffectLink) {
  return AnswerDrag([&](TDropFormat f) { return offered.count(f) > 0; }, allowed);
}

TEST(DropRules, TheFirstFormatOfferedDecidesKindAndEffect) {
  struct Case {
    const char* what;
    std::set<TDropFormat> offered;
    TDragAnswer answer;
  } cases[] = {
      {"files from the file manager", {FileName, HDrop, Text}, {true, dkFiles, kEffectCopy}},
      {"an Internet shortcut, which also offers a file name", {Url, FileName, HDrop}, {true, dkUrl, kEffectLink}},
      {"a bookmark", {NetscapeBookmark, Text}, {true, dkUrl, kEffectLink}},
      {"a mail attachment: answered, but nothing to take", {FileGroupDescriptor, FileName}, {true, 0, kEffectNone}},
      {"HTML before its plain text", {Html, Text}, {true, dkHtml, kEffectCopy}},
      {"plain text", {Text, Dib}, {true, dkText, kEffectCopy}},
      {"a picture", {Dib}, {true, dkPicture, kEffectCopy}},
      {"the shell's list without a file name", {HDrop}, {true, 0, kEffectNone}},
      {"nothing known", {}, {false, 0, kEffectNone}},
  };
  for (const Case& c : cases) EXPECT_EQ(Answer(c.offered), c.answer) << c.what;
}

TEST(DropRules, NothingDroppedIsEverMovedAndTheSourcesLimitsHold) {
  struct Case { std::set<TDropFormat> offered; uint32_t allowed; TDragAnswer answer; } cases[] = {
      // A source that only moves: then not at all, and nothing is taken.
      {{FileName}, kEffectMove, {true, 0, kEffectNone}},
      {{FileName}, kEffectCopy | kEffectMove, {true, dkFiles, kEffectCopy}},
      {{Url}, kEffectCopy, {true, 0, kEffectNone}},
      {{Url}, kEffectLink, {true, dkUrl, kEffectLink}},
      {{Text}, kEffectNone, {true, 0, kEffectNone}},
  };
  for (const Case& c : cases) {
    const TDragAnswer a = Answer(c.offered, c.allowed);
    EXPECT_EQ(a, c.answer) << c.allowed;
    EXPECT_EQ(a.Effect & kEffectMove, 0u);
  }
}

TEST(DropRules, TextsAreReadWithinTheirBlocks) {
  using namespace std::string_literals;
  EXPECT_EQ(BlockText("http://example.org/\0junk"s), "http://example.org/");
  EXPECT_EQ(BlockText("no zero at the end"), "no zero at the end");
  EXPECT_EQ(BlockText(""), "");

  // A descriptor: count, 72 bytes of the entry, then the name.
  std::string descriptor(4 + 72, '\x01');
  EXPECT_EQ(DescriptorFileName(descriptor), "") << "no room for a name";
  EXPECT_EQ(DescriptorFileName(descriptor + "Holiday.report.doc\0rest"s), "Holiday.report");
  EXPECT_EQ(DescriptorFileName(descriptor + "NoExtension"), "NoExtension");
  EXPECT_EQ(DescriptorFileName(descriptor + std::string(300, 'x')), std::string(260, 'x')) << "at most 260 characters";
  EXPECT_EQ(DescriptorFileName("short"), "");
}

TEST(DropRules, TheHtmlSourceAddressIsTheEighthLine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  const std::vector<std::string> block = SplitLines(
      "Version:0.9\r\nStartHTML:00000150\r\nEndHTML:00000300\r\nStartFragment:00000180\r\n"
      "EndFragment:00000280\r\nStartSelection:00000180\r\nEndSelection:00000280\r\n"
      "SourceURL:https://example.org/page\r\n<html>...</html>\r\n");
  EXPECT_EQ(HtmlSourceAddress(block), "https://example.org/page");
  // Fewer than eight lines: no address, and nothing read beyond the block.
  const std::vector<std::string> seven(block.begin(), block.begin() + 7);
  EXPECT_EQ(HtmlSourceAddress(seven), "");
  EXPECT_EQ(HtmlSourceAddress({}), "");
  std::vector<std::string> shortLine = block;
  shortLine[7] = "Source";
  EXPECT_EQ(HtmlSourceAddress(shortLine), "");
}

}  // namespace
}  // namespace vanta
