// The character entities of the work-file format: the reader accepts exactly
// these forms and the writer writes them for exactly these characters.
#pragma once

#include <string_view>

namespace lexova::vuzozoviv {

struct Entity {
  char16_t ch;
  std::u16string_view form;
};

// In the order the writer searches them.
inline constexpr Entity kEntities[] = {
    {u'&', u"&amp;"},      {u'\'', u"&apos;"},    {u'>', u"&gt;"},       {u'<', u"&lt;"},       {u'"', u"&quot;"},
    {0xFF5E, u"&#65374;"}, {0x2225, u"&#8741;"},  {0xFF0D, u"&#65293;"}, {0xFFE0, u"&#65504;"}, {0xFFE1, u"&#65505;"},
    {0x2460, u"&#9312;"},  {0x2461, u"&#9313;"},  {0x2462, u"&#9314;"},  {0x2463, u"&#9315;"},  {0x2464, u"&#9316;"},
    {0x2465, u"&#9317;"},  {0x2466, u"&#9318;"},  {0x2468, u"&#9320;"},  {0x2469, u"&#9321;"},  {0x246A, u"&#9322;"},
    {0x246B, u"&#9323;"},  {0x246C, u"&#9324;"},  {0x246D, u"&#9325;"},  {0x246E, u"&#9326;"},  {0x246F, u"&#9327;"},
    {0x2470, u"&#9328;"},  {0x2471, u"&#9329;"},  {0x2472, u"&#9330;"},  {0x2473, u"&#9331;"},  {0x3349, u"&#13129;"},
    {0x3314, u"&#13076;"}, {0x3322, u"&#13090;"}, {0x334D, u"&#13133;"}, {0x3318, u"&#13080;"}, {0x3327, u"&#13095;"},
    {0x3303, u"&#13059;"}, {0x3336, u"&#13110;"}, {0x3351, u"&#13137;"}, {0x3357, u"&#13143;"}, {0x330D, u"&#13069;"},
    {0x3326, u"&#13094;"}, {0x3323, u"&#13091;"}, {0x332B, u"&#13099;"}, {0x334A, u"&#13130;"}, {0x333B, u"&#13115;"},
    {0x339C, u"&#13212;"}, {0x339D, u"&#13213;"}, {0x339E, u"&#13214;"}, {0x338E, u"&#13198;"}, {0x338F, u"&#13199;"},
    {0x33C4, u"&#13252;"}, {0x33A1, u"&#13217;"}, {0x32A4, u"&#12964;"}, {0x32A5, u"&#12965;"}, {0x32A6, u"&#12966;"},
    {0x32A7, u"&#12967;"}, {0x32A8, u"&#12968;"}, {0x3231, u"&#12849;"}, {0x3232, u"&#12850;"}, {0x3239, u"&#12857;"},
    {u'\r', u"&#13;"},     {u'\n', u"&#10;"},
};

// The entity form of a one-unit code, or empty.
inline std::u16string_view entityFor(char16_t c) {
  if (c < 0x80) {
    if (c != u'&' && c != u'\'' && c != u'>' && c != u'<' && c != u'"' && c != u'\r' && c != u'\n') return {};
  } else if (!(c == 0x2225 || (c >= 0x2460 && c <= 0x2473) || (c >= 0x3231 && c <= 0x33C4) ||
               (c >= 0xFF0D && c <= 0xFFE1))) {
    return {};
  }
  for (const Entity& e : kEntities) {
    if (e.ch == c) return e.form;
  }
  return {};
}

// The character of an exact entity form, or 0.
inline char16_t entityChar(std::u16string_view form) {
  for (const Entity& e : kEntities) {
    if (e.form == form) return e.ch;
  }
  return 0;
}

}  // namespace lexova::vuzozoviv
