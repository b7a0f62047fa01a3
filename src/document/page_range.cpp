#include "document/page_range.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "text/utf.h"

namespace lexova {

int pageFieldValue(std::u16string_view text) {
  const std::string digits = text::toUtf8(text);
  int v = 0;
  const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  return r.ec == std::errc() && r.ptr == digits.data() + digits.size() ? v : 0;
}

PageIndexes pageIndexesFor(const RangeChoice& choice, int pageCount, int currentPage) {
  switch (choice.mode) {
    case RangeMode::CurrentPage:
      return {currentPage, currentPage};
    case RangeMode::PageRange:
      return {std::max(0, choice.from - 1), std::min(pageCount - 1, choice.to - 1)};
    case RangeMode::AllPages:
      break;
  }
  return {0, pageCount - 1};
}

bool confirmPageRange(const RangeChoice& choice, int pageCount, Host& host) {
  if (choice.mode == RangeMode::CurrentPage) return true;
  if (choice.mode == RangeMode::PageRange) {
    // A range that selects nothing would write a file without a page: refused as
    // an unset range is.
    if (choice.from <= 0 || choice.to <= 0 || pageIndexesFor(choice, pageCount, 0).empty()) {
      host.message(u"保存範囲が指定されていません。", kApplicationName, MessageIcon::Warning);
      return false;
    }
  }
  const long long count =
      choice.mode == RangeMode::AllPages ? pageCount : static_cast<long long>(choice.to) - choice.from + 1;
  if (count > 99) {
    const std::u16string question =
        u"保存ページが" + text::fromUtf8(std::to_string(count)) +
        u"ページ選択されています。\n認識結果の内容によっては、保存に時間がかかる場合があります。\n"
        u"保存を実行しますか？";
    return host.message(question, kApplicationName, MessageIcon::Question, Buttons::YesNo, Answer::No) == Answer::Yes;
  }
  return true;
}

}  // namespace lexova
