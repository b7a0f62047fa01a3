#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "text/utf.h"

namespace lexova::text {
namespace {

using E = Encoding;

std::u16string sjis(std::string_view bytes) {
  return decodeText(bytes, E::ShiftJis);
}
std::u16string euc(std::string_view bytes) {
  return decodeText(bytes, E::EucJp);
}

std::uint16_t formOf(char16_t u) {
  return cp932Form(u);
}

TEST(Cp932, KnownPairsDecodeAndEncodeBothWays) {
  const struct {
    std::uint16_t code;
    char16_t unit;
  } pairs[] = {
      {0x815F, 0xFF3C}, {0x8160, 0xFF5E}, {0x8161, 0x2225}, {0x817C, 0xFF0D}, {0x8191, 0xFFE0},
      {0x8192, 0xFFE1}, {0x81CA, 0xFFE2}, {0x82A0, u'あ'},  {0x8740, 0x2460}, {0x889F, u'亜'},
      {0x5C, u'\\'},    {0x7E, u'~'},     {0xB1, 0xFF71},   {0xF040, 0xE000}, {0xF9FC, 0xE757},
  };
  for (const auto& p : pairs) {
    std::string bytes;
    if (p.code > 0xFF) bytes.push_back(static_cast<char>(p.code >> 8));
    bytes.push_back(static_cast<char>(p.code & 0xFF));
    EXPECT_EQ(sjis(bytes), std::u16string(1, p.unit)) << std::hex << p.code;
    EXPECT_EQ(formOf(p.unit), p.code) << std::hex << p.code;
  }
}

TEST(Cp932, EqualsSignIsOnTheNecRowButWrittenFromJisX0208) {
  // ≒ is both 0x81E0 and 0x8790; ≡ is 0x81DF and 0x8791.
  EXPECT_EQ(sjis("\x87\x90"), u"\u2252");
  EXPECT_EQ(sjis("\x87\x91"), u"\u2261");
  EXPECT_EQ(formOf(0x2252), 0x81E0);
  EXPECT_EQ(formOf(0x2261), 0x81DF);
}

TEST(Cp932, DuplicatesPreferJisThenNecRowThenIbmNeverNecSelected) {
  EXPECT_EQ(sjis("\xED\x40"), u"纊");
  EXPECT_EQ(formOf(u'纊'), 0xFA5C);  // read from 0xED40, written as 0xFA5C
  EXPECT_EQ(sjis("\xFA\x4A"), u"\u2160");
  EXPECT_EQ(formOf(0x2160), 0x8754);  // Ⅰ read from 0xFA4A, written from the NEC row
  EXPECT_EQ(sjis("\xEE\xF9"), u"\uFFE2");
  EXPECT_EQ(formOf(0xFFE2), 0x81CA);
  EXPECT_EQ(sjis("\xEE\xEF"), u"\u2170");
  EXPECT_EQ(formOf(0x2170), 0xFA40);  // ⅰ: IBM rather than NEC-selected
  EXPECT_EQ(formOf(0x2235), 0x81E6);  // ∵ is in three places
}

TEST(Cp932, EveryDefinedCodeReadsBackAfterWritingAndNoneIsWrittenAsNecSelected) {
  int defined = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::uint8_t b[2] = {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
      const Decoded d = decodeCp932(b, b + 2);
      ASSERT_EQ(d.length, 2);
      if (d.unit == kUndefinedChar) continue;
      ++defined;
      const std::uint16_t form = formOf(d.unit);
      ASSERT_NE(form, kNoForm);
      EXPECT_NE(form >> 8, 0xED);
      EXPECT_NE(form >> 8, 0xEE);
      const std::uint8_t w[2] = {static_cast<std::uint8_t>(form >> 8), static_cast<std::uint8_t>(form)};
      EXPECT_EQ(decodeCp932(w, w + 2).unit, d.unit);
    }
  }
  EXPECT_EQ(defined, 9604 - 1);  // 0x8145 is ・ itself, counted as undefined above
}

TEST(Cp932, SingleBytesOfTheTargetSystems) {
  EXPECT_EQ(sjis("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_TRUE(representable(0x0080, E::ShiftJis));
  EXPECT_TRUE(representable(0xF8F0, E::ShiftJis));
  EXPECT_EQ(sjis(std::string("A\0z", 3)), std::u16string(u"A\0z", 3));
}

TEST(Cp932, UndefinedSequencesReadAsMiddleDot) {
  EXPECT_EQ(sjis("\x85\x40"), u"・");     // undefined row: both bytes consumed
  EXPECT_EQ(sjis("\x81\x20x"), u"・ x");  // invalid trail: read on its own
  EXPECT_EQ(sjis("\x81\x7F"), u"・\x7F");
  EXPECT_EQ(sjis("\x82"), u"・");      // lead byte at the end
  EXPECT_EQ(sjis("\x82\n"), u"・\n");  // a line end is never a trail byte
}

TEST(Cp932, BestFitCharactersAreNotRepresentable) {
  for (char16_t u : {char16_t{0x00A5}, char16_t{0x203E}, char16_t{0x2014}, char16_t{0x00A6}, char16_t{0x4E02},
                     char16_t{0xD840}, char16_t{0xDC0B}, char16_t{0xFFFD}}) {
    EXPECT_FALSE(representable(u, E::ShiftJis)) << std::hex << int(u);
  }
  EXPECT_TRUE(representable(0x2015, E::ShiftJis));  // the dash 0x815C really is
}

TEST(EucJp, RowAndCellArithmeticIsTheInverseOfItself) {
  EXPECT_EQ(eucToCp932(0xA4, 0xA2), 0x82A0);  // あ
  EXPECT_EQ(cp932ToEuc(0x82A0), 0xA4A2);
  EXPECT_EQ(eucToCp932(0xA1, 0xA1), 0x8140);
  EXPECT_EQ(eucToCp932(0xFE, 0xFE), 0xEFFC);
  for (int b1 = 0xA1; b1 <= 0xFE; ++b1) {
    for (int b2 = 0xA1; b2 <= 0xFE; ++b2) {
      const std::uint16_t s = eucToCp932(static_cast<std::uint8_t>(b1), static_cast<std::uint8_t>(b2));
      ASSERT_EQ(cp932ToEuc(s), (b1 << 8) | b2) << std::hex << b1 << " " << b2;
    }
  }
  EXPECT_EQ(cp932ToEuc(0xF040), 0);  // user-defined area: no EUC-JP form
  EXPECT_EQ(cp932ToEuc(0xFA5C), 0);
}

TEST(EucJp, DecodesAllFourKindsOfSequence) {
  EXPECT_EQ(euc("a\xA4\xA2\xB4\xC1"), u"aあ漢");
  EXPECT_EQ(euc("\x8E\xB1"), u"ｱ");
  EXPECT_EQ(euc("\x8F\xB0\xA1"), u"丂");  // JIS X 0212
  EXPECT_EQ(euc("\xAD\xA1"), u"①");       // row 13 through the NEC special row
  EXPECT_EQ(euc("\xF9\xA1"), u"纊");      // rows 89 to 92 through the NEC-selected codes
}

TEST(EucJp, BrokenSequencesReadAsMiddleDotAndResume) {
  EXPECT_EQ(euc("\xA4"
                "a"),
            u"・a");
  EXPECT_EQ(euc("\x8E\xE0"), u"・・");
  EXPECT_EQ(euc("\x8E"
                "a"),
            u"・a");
  EXPECT_EQ(euc("\x8F\xB0"
                "a"),
            u"・a");
  EXPECT_EQ(euc("\x8F"
                "ab"),
            u"・ab");
  EXPECT_EQ(euc("\x8F\xA1\xA1"), u"・");  // undefined in JIS X 0212
  EXPECT_EQ(euc("\xFF\x80\xA0"), u"・・・");
  EXPECT_EQ(euc("\xAF\xA1"), u"・");  // row 15: nothing there
}

TEST(EucJp, EncodesThroughTheCp932FormAndRefusesWhatHasNoEucForm) {
  std::uint8_t b[2];
  ASSERT_EQ(encodeUnit(u'あ', E::EucJp, b), 2);
  EXPECT_EQ(b[0], 0xA4);
  EXPECT_EQ(b[1], 0xA2);
  ASSERT_EQ(encodeUnit(0xFF71, E::EucJp, b), 2);  // half-width katakana by single shift
  EXPECT_EQ(b[0], 0x8E);
  EXPECT_EQ(b[1], 0xB1);
  ASSERT_EQ(encodeUnit(u'A', E::EucJp, b), 1);
  for (char16_t u :
       {char16_t{0x7E8A}, char16_t{0xE000}, char16_t{0x0080}, char16_t{0xF8F0}, char16_t{0xF8F3}, char16_t{0x4E02}}) {
    EXPECT_FALSE(representable(u, E::EucJp)) << std::hex << int(u);
  }
  EXPECT_TRUE(representable(0x2460, E::EucJp));  // ① from row 13
}

TEST(EucJp, EveryRepresentableUnitReadsBackAsItself) {
  for (int u = 0; u < 0x10000; ++u) {
    std::uint8_t b[2];
    const int n = encodeUnit(static_cast<char16_t>(u), E::EucJp, b);
    if (n == 0) continue;
    ASSERT_EQ(decodeEucJp(b, b + n).unit, u) << std::hex << u;
  }
}

TEST(EncodeText, ReplacesEachCharacterWithoutAFormOnce) {
  EXPECT_EQ(encodeText(u"a\U0002000Bb\u00A5", E::ShiftJis), "a?b?");
  EXPECT_EQ(encodeText(u"漢", E::ShiftJis), "\x8A\xBF");
  EXPECT_EQ(encodeText(u"漢", E::EucJp), "\xB4\xC1");
}

TEST(Utf, RoundTripsSupplementaryCharactersAndRepairsBrokenText) {
  const std::u16string s = u"a漢\U0002000B";
  EXPECT_EQ(fromUtf8(toUtf8(s)), s);
  EXPECT_EQ(toUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(fromUtf8("\xE6\xBC"), u"\uFFFD");
  EXPECT_EQ(fromUtf8("\xC0\x80"), u"\uFFFD");  // overlong
}

}  // namespace
}  // namespace lexova::text
