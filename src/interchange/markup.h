// A small markup reader for the interchange formats: well-formed XML (ALTO, PAGE)
// or, leniently, HTML as OCR engines write it (hOCR): unquoted attributes, void
// elements, tags left open or closed out of order. Element and attribute names
// keep only their local part (no namespace prefix). UTF-8 only. Bounded: nesting
// deeper than kMaxDepth or more than kMaxNodes elements is an error.
//
// Built for files of a thousand pages: the nodes live in one store, and names,
// values and texts are views of the input (the bytes must outlive the markup)
// or of the markup's own strings where entities were decoded. White space that
// only indents (it holds a line break) is not kept.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lexova::interchange {

inline constexpr int kMaxDepth = 256;
inline constexpr std::size_t kMaxNodes = 20'000'000;

struct Node {
  std::string_view name;  // local name; empty for a text node
  std::vector<std::pair<std::string_view, std::string_view>> attributes;
  std::vector<Node*> children;
  std::string_view text;  // a text node's characters (entities decoded)
  int line = 0;           // where it starts (1-based)

  // The value of an attribute (local name), or nullptr.
  const std::string_view* attribute(std::string_view name) const;
  // The first child element with this local name, or nullptr.
  const Node* child(std::string_view name) const;
  // All text below the node, in order.
  std::string allText() const;
};

struct Markup {
  std::deque<Node> nodes;       // every node; the first is a synthetic root
  std::deque<std::string> own;  // decoded texts and values, lower-cased names
  const Node* root = nullptr;   // the synthetic node holding the top-level nodes
  std::string error;            // empty when read
  int errorLine = 0;
  const Node* documentElement() const;
};

Markup parseMarkup(std::string_view bytes, bool lenient);

// Lower-case ASCII (HTML names are case-insensitive).
std::string lowerAscii(std::string_view s);

}  // namespace lexova::interchange
