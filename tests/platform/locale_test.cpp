#include "platform/system_locale.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace pelliton {
namespace {

bool IsPrintable(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 0x20 && code != 0x7F;
}

TEST(SystemLocale, SeparatorsArePrintableAndDistinct) {
  const Separators separators = SystemLocale().NumberSeparators();
  EXPECT_TRUE(IsPrintable(separators.thousands)) << int{separators.thousands};
  EXPECT_TRUE(IsPrintable(separators.decimal)) << int{separators.decimal};
  EXPECT_NE(separators.thousands, separators.decimal);
}

TEST(SystemLocale, SeparatorsAreOneByteOfTheCodePageOrTheEnglishPair) {
  const struct {
    unsigned codePage;
    std::u16string thousands, decimal;
    char wantThousands, wantDecimal;
  } cases[] = {
      {1252, u".", u",", '.', ','},
      {1251, u"\u00A0", u",", '\xA0', ','},    // no-break space, one byte here
      {1252, u"\u2019", u".", '\x92', '.'},    // right single quotation mark
      {65001, u"\u00A0", u",", ',', '.'},      // two bytes under UTF-8
      {1252, u"\u066C", u"\u066B", ',', '.'},  // not in the code page
      {1252, u",", u",", ',', '.'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    const Separators separators = SeparatorsFor(c.codePage, c.thousands, c.decimal);
    EXPECT_EQ(separators.thousands, c.wantThousands);
    EXPECT_EQ(separators.decimal, c.wantDecimal);
  }
}

TEST(SystemLocale, NamesTwelveMonths) {
  const SystemLocale locale;
  for (int month = 1; month <= 12; ++month) {
    EXPECT_FALSE(locale.ShortMonthName(month).empty()) << month;
    if (month > 1) {
      EXPECT_NE(locale.ShortMonthName(month), locale.ShortMonthName(month - 1));
    }
  }
  EXPECT_THROW(locale.ShortMonthName(0), std::out_of_range);
  EXPECT_THROW(locale.ShortMonthName(13), std::out_of_range);
}

TEST(SystemLocale, RoundTripsTheSystemCodePage) {
  const SystemLocale locale;
  EXPECT_EQ(locale.Widen(""), u"");
  EXPECT_EQ(locale.Narrow(u""), "");
  EXPECT_EQ(locale.Widen("1,234.56 MB"), u"1,234.56 MB");
  EXPECT_EQ(locale.Narrow(u"1,234.56 MB"), "1,234.56 MB");

  // The highest byte that stands for a character of its own in this code page.
  for (int code = 0xFF; code >= 0x80; --code) {
    const std::string high(1, static_cast<char>(code));
    if (IsDBCSLeadByte(static_cast<BYTE>(code))) continue;
    const std::u16string wide = locale.Widen(high);
    ASSERT_EQ(wide.size(), 1u);
    if (wide[0] == u'?' || wide[0] == 0xFFFD) continue;
    EXPECT_GE(wide[0], 0x80) << code;
    EXPECT_EQ(locale.Narrow(wide), high) << code;
    return;
  }
  FAIL() << "no single high byte maps to a character";
}

struct CodePageText {
  unsigned codePage;
  std::string narrow;
  std::u16string wide;
};

TEST(CodePageConversion, RoundTripsSingleAndMultiByteCodePages) {
  const CodePageText cases[] = {
      {1252, "caf\xE9 \x80", u"caf\u00E9 \u20AC"},
      {932, "a\x93\xFA\x96\x7B", u"a\u65E5\u672C"},  // Shift-JIS
      {936, "\xD6\xD0x", u"\u4E2Dx"},                // GBK
      {65001, "\xC3\xA9\xE4\xB8\xAD", u"\u00E9\u4E2D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(WidenFromCodePage(c.codePage, c.narrow), c.wide);
    EXPECT_EQ(NarrowToCodePage(c.codePage, c.wide), c.narrow);
  }
}

TEST(CodePageConversion, UnmappableCharactersBecomeQuestionMarks) {
  // No look-alikes: a best-fit mapping would turn the macron A into a plain A.
  EXPECT_EQ(NarrowToCodePage(1252, u"\u0100\u4E2Dz"), "??z");
  EXPECT_EQ(NarrowToCodePage(932, u"\u0100x"), "?x");
}

}  // namespace
}  // namespace pelliton
