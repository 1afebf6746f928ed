#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

namespace cendrix::platform {
namespace {

TEST(TextCodec, RoundTripsChineseAndAstralCharacters) {
    const std::string text = "\\\\.\\/media/用户/盘 \xF0\x9F\x92\xBE";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 18u);  // the disk symbol takes two UTF-16 units
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(TextCodec, ReplacesBrokenSequences) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD\uFFFD");     // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");     // overlong
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(EncodeSerialAtaOrder, SwapsPairsAndPadsOddLengthsWithABlank) {
    EXPECT_EQ(sim::EncodeSerialAtaOrder("WD-WCAV1"), "DWW-AC1V");
    EXPECT_EQ(sim::EncodeSerialAtaOrder("ABC"), "BA C");
    EXPECT_EQ(sim::EncodeSerialAtaOrder(""), "");
}

}  // namespace
}  // namespace cendrix::platform
