// A small markup reader for the interchange formats: well-formed XML (ALTO, PAGE)
// or, leniently, HTML as OCR engines write it (hOCR): unquoted attributes, void
// elements, tags left open or closed out of order. Element and attribute names
// keep only their local part (no namespace prefix). UTF-8 only. Bounded: nesting
// deeper than kMaxDepth or more than kMaxNodes elements is an error.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lexova::interchange {

inline constexpr int kMaxDepth = 256;
inline constexpr std::size_t kMaxNodes = 20'000'000;

struct Node {
  std::string name;  // local name; empty for a text node
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<std::unique_ptr<Node>> children;
  std::string text;  // a text node's characters (entities decoded)
  int line = 0;      // where it starts (1-based)

  // The value of an attribute (local name), or nullptr.
  const std::string* attribute(std::string_view name) const;
  // The first child element with this local name, or nullptr.
  const Node* child(std::string_view name) const;
  // All text below the node, in order.
  std::string allText() const;
};

struct Markup {
  std::unique_ptr<Node> root;  // a synthetic node holding the top-level nodes
  std::string error;           // empty when read
  int errorLine = 0;
  const Node* documentElement() const;
};

Markup parseMarkup(std::string_view bytes, bool lenient);

// Lower-case ASCII (HTML names are case-insensitive).
std::string lowerAscii(std::string_view s);

}  // namespace lexova::interchange
