#include "cli/model_json.h"

#include <unordered_map>

namespace lexova::cli {
namespace {

void dumpChar(JsonWriter& j, const COcrChar& c) {
  auto code = [&j](const CharCode& k) {
    j.beginArray();
    for (int i = 0; i < codeLength(k); ++i) j.value(static_cast<int>(k[i]));
    j.endArray();
  };
  j.beginObject();
  j.key("x"), j.value(c.x);
  j.key("y"), j.value(c.y);
  j.key("width"), j.value(c.width);
  j.key("height"), j.value(c.height);
  j.key("code"), code(c.code);
  j.key("CC"), j.value(static_cast<int>(c.CC));
  j.key("cands");
  j.beginArray();
  for (int i = 0; i < c.num_cand(); ++i) {
    j.beginObject();
    j.key("code"), code(c.candCode(i));
    j.key("CC"), j.value(static_cast<int>(c.candCC(i)));
    j.endObject();
  }
  j.endArray();
  j.endObject();
}

void dumpLines(JsonWriter& j, const LineList& lines) {
  std::unordered_map<const COcrLine*, int> index;
  int n = 0;
  for (const COcrLine& l : lines) index.emplace(&l, n++);
  j.beginArray();
  for (const COcrLine& l : lines) {
    j.beginObject();
    j.key("x"), j.value(l.x);
    j.key("y"), j.value(l.y);
    j.key("width"), j.value(l.width);
    j.key("height"), j.value(l.height);
    j.key("charCount"), j.value(l.charCount);
    j.key("attr"), j.value(static_cast<int>(l.attr));
    j.key("baseLine");
    const auto it = l.baseLine ? index.find(l.baseLine) : index.end();
    if (it != index.end()) {
      j.value(it->second);
    } else {
      j.null();
    }
    j.key("RCS"), j.value(l.RCS);
    j.key("RCE"), j.value(l.RCE);
    j.key("LID"), j.value(l.LID);
    j.key("RLID"), j.value(l.RLID);
    j.key("chars");
    j.beginArray();
    for (const COcrChar& c : l.chars) dumpChar(j, c);
    j.endArray();
    j.endObject();
  }
  j.endArray();
}

void dumpCell(JsonWriter& j, const COcrCell& c) {
  j.beginObject();
  j.key("row"), j.value(c.row);
  j.key("col"), j.value(c.col);
  j.key("x"), j.value(c.x);
  j.key("y"), j.value(c.y);
  j.key("width"), j.value(c.width);
  j.key("height"), j.value(c.height);
  j.key("lineCount"), j.value(c.lineCount);
  j.key("left"), j.value(c.left);
  j.key("top"), j.value(c.top);
  j.key("right"), j.value(c.right);
  j.key("bottom"), j.value(c.bottom);
  j.key("connectGroup"), j.value(c.connectGroup);
  j.key("align"), j.value(c.align);
  j.key("valign"), j.value(c.valign);
  j.key("charCount"), j.value(c.charCount);
  j.key("lineSize"), j.value(c.lineSize);
  j.key("lines"), dumpLines(j, c.lines);
  j.endObject();
}

void dumpBlock(JsonWriter& j, const COcrBlock& b) {
  j.beginObject();
  j.key("x"), j.value(b.x);
  j.key("y"), j.value(b.y);
  j.key("width"), j.value(b.width);
  j.key("height"), j.value(b.height);
  j.key("charCount"), j.value(b.charCount);
  j.key("direction"), j.value(static_cast<int>(b.direction));
  j.key("index"), j.value(b.index);
  j.key("type"), j.value(b.type);
  j.key("lineSize"), j.value(b.lineSize);
  j.key("sec"), j.value(b.sec);
  j.key("langId"), j.value(b.langId);
  j.key("BID"), j.value(b.BID);
  j.key("lines"), dumpLines(j, b.lines);
  j.key("cells");
  j.beginArray();
  for (const COcrCell& c : b.cells) dumpCell(j, c);
  j.endArray();
  j.endObject();
}

}  // namespace

void dumpPage(JsonWriter& j, const COcrPage& p) {
  j.beginObject();
  j.key("number"), j.value(p.number);
  j.key("file"), j.value(std::u16string_view(p.file));
  j.key("fullpath"), j.value(std::u16string_view(p.fullpath));
  j.key("width"), j.value(p.width);
  j.key("height"), j.value(p.height);
  j.key("dpi"), j.value(p.dpi);
  j.key("upperpage"), j.value(p.upperpage);
  j.key("lowerpage"), j.value(p.lowerpage);
  j.key("wareki"), j.value(p.wareki);
  j.key("year"), j.value(p.year);
  j.key("month"), j.value(p.month);
  j.key("volume"), j.value(p.volume);
  j.key("blocks");
  j.beginArray();
  for (const COcrBlock& b : p.blocks) dumpBlock(j, b);
  j.endArray();
  j.endObject();
}

// The positions the editor takes after opening (with --opened).

void dumpPaper(JsonWriter& j, const COcrPaper& paper, const OpenedState* opened) {
  j.beginObject();
  j.key("encoding"), j.value(paper.encoding);
  j.key("maxPageWidth"), j.value(paper.maxPageWidth);
  j.key("maxPageHeight"), j.value(paper.maxPageHeight);
  j.key("standardDpi"), j.value(paper.standardDpi);
  if (opened) {
    j.key("firstArticlePage"), j.value(opened->firstArticlePage);
    j.key("currentPage"), j.value(opened->currentPage);
  }
  j.key("sections");
  j.beginArray();
  for (const std::u16string& s : paper.customSections) j.value(std::u16string_view(s));
  j.endArray();
  j.key("pages");
  j.beginArray();
  for (const COcrPage& p : paper.pages) dumpPage(j, p);
  j.endArray();
  j.endObject();
}

}  // namespace lexova::cli
