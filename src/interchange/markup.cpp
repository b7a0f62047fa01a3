#include "interchange/markup.h"

#include <algorithm>
#include <cstdint>

namespace lexova::interchange {
namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isNameChar(char c) {
  return !isSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

std::string_view localName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool isVoidHtml(std::string_view name) {
  static const char* const kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                      "input", "link", "meta", "param", "source", "track", "wbr"};
  return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char* v) { return name == v; });
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  Parser(std::string_view in, bool lenient) : in_(in), lenient_(lenient) {}

  Markup run() {
    Markup& m = m_;
    Node* root = &m.nodes.emplace_back();
    root->name = "#document";
    m.root = root;
    stack_.push_back(root);
    if (in_.size() >= 3 && static_cast<unsigned char>(in_[0]) == 0xEF && static_cast<unsigned char>(in_[1]) == 0xBB &&
        static_cast<unsigned char>(in_[2]) == 0xBF) {
      pos_ = 3;
    }
    if (in_.size() >= 2 && ((in_[0] == '\xFF' && in_[1] == '\xFE') || (in_[0] == '\xFE' && in_[1] == '\xFF'))) {
      fail("UTF-16 is not read: the file must be UTF-8");
    }
    while (error_.empty() && pos_ < in_.size()) step();
    if (error_.empty() && !lenient_ && stack_.size() > 1) {
      fail("<" + std::string(stack_.back()->name) + "> is not closed", stack_.back()->line);
    }
    if (error_.empty() && m.documentElement() == nullptr) fail("no element");
    m.error = error_;
    m.errorLine = errorLine_;
    if (!error_.empty()) root->children.clear();
    return std::move(m);
  }

 private:
  void fail(std::string message, int line = 0) {
    if (!error_.empty()) return;
    error_ = std::move(message);
    errorLine_ = line > 0 ? line : line_;
  }

  void advance(std::size_t n) {
    const std::size_t end = std::min(in_.size(), pos_ + n);
    line_ += static_cast<int>(std::count(in_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                         in_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    pos_ = end;
  }
  bool startsWith(std::string_view s) const { return in_.substr(pos_).starts_with(s); }
  // Skips to just after `end`; false (and an error) when it never comes.
  bool skipPast(std::string_view end, const char* what) {
    const std::size_t at = in_.find(end, pos_);
    if (at == std::string_view::npos) {
      fail(std::string("unterminated ") + what);
      return false;
    }
    advance(at + end.size() - pos_);
    return true;
  }

  void step() {
    if (in_[pos_] != '<') {
      text();
      return;
    }
    if (startsWith("<!--")) {
      skipPast("-->", "comment");
    } else if (startsWith("<![CDATA[")) {
      advance(9);
      const std::size_t at = in_.find("]]>", pos_);
      if (at == std::string_view::npos) return fail("unterminated CDATA section");
      addText(in_.substr(pos_, at - pos_), true);
      advance(at + 3 - pos_);
    } else if (startsWith("<!") || startsWith("<?")) {
      skipPast(">", "declaration");
    } else if (startsWith("</")) {
      closeTag();
    } else {
      openTag();
    }
  }

  void text() {
    const std::size_t end = std::min(in_.find('<', pos_), in_.size());
    const std::string_view raw = in_.substr(pos_, end - pos_);
    advance(end - pos_);
    addText(raw, false);
  }

  // Text (raw: CDATA, taken as it stands) to the open element.
  void addText(std::string_view raw, bool cdata) {
    // White space that holds a line break only indents.
    const bool blank = std::all_of(raw.begin(), raw.end(), isSpace);
    if (raw.empty() || (blank && !cdata && raw.find('\n') != std::string_view::npos)) return;
    Node* parent = stack_.back();
    if (stack_.size() == 1) {
      // Only white space may stand outside the document element.
      if (blank) return;
      if (!lenient_) return fail("text outside the document element");
    }
    const std::string_view t = cdata ? raw : decoded(raw);
    if (!parent->children.empty() && parent->children.back()->name.empty()) {
      Node* last = parent->children.back();
      last->text = m_.own.emplace_back(std::string(last->text) + std::string(t));
      return;
    }
    Node* node = &m_.nodes.emplace_back();
    node->text = t;
    node->line = line_;
    parent->children.push_back(node);
  }

  // The raw text itself when it has no entity, else its decoded copy.
  std::string_view decoded(std::string_view raw) {
    if (raw.find('&') == std::string_view::npos) return raw;
    return m_.own.emplace_back(decode(raw));
  }

  std::string decode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '&') {
        out += raw[i];
        continue;
      }
      const std::size_t semi = raw.find(';', i);
      if (semi == std::string_view::npos || semi - i > 12) {
        if (!lenient_) fail("a stray '&'");
        out += '&';
        continue;
      }
      const std::string_view name = raw.substr(i + 1, semi - i - 1);
      std::uint32_t cp = 0;
      bool ok = true;
      if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        ok = !digits.empty();
        for (char c : digits) {
          int d = -1;
          if (c >= '0' && c <= '9') d = c - '0';
          if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
          if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
          if (d < 0 || cp > 0x10FFFF) {
            ok = false;
            break;
          }
          cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
      } else if (name == "amp") {
        cp = '&';
      } else if (name == "lt") {
        cp = '<';
      } else if (name == "gt") {
        cp = '>';
      } else if (name == "quot") {
        cp = '"';
      } else if (name == "apos") {
        cp = '\'';
      } else if (name == "nbsp" && lenient_) {
        cp = 0xA0;
      } else {
        ok = false;
      }
      if (!ok) {
        if (!lenient_) fail("unknown entity &" + std::string(name) + ";");
        out += raw.substr(i, semi - i + 1);
      } else {
        appendUtf8(out, cp);
      }
      i = semi;
    }
    return out;
  }

  std::string_view name() {
    const std::size_t start = pos_;
    while (pos_ < in_.size() && isNameChar(in_[pos_])) ++pos_;
    const std::string_view n = localName(in_.substr(start, pos_ - start));
    if (!lenient_ || std::none_of(n.begin(), n.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) return n;
    return m_.own.emplace_back(lowerAscii(n));
  }
  void spaces() {
    while (pos_ < in_.size() && isSpace(in_[pos_])) advance(1);
  }

  void openTag() {
    const int line = line_;
    advance(1);
    const std::string_view tag = name();
    if (tag.empty()) {
      if (!lenient_) return fail("a '<' that starts no tag");
      addText("<", true);
      return;
    }
    if (static_cast<int>(stack_.size()) > kMaxDepth) return fail("elements nested too deeply");
    if (++nodes_ > kMaxNodes) return fail("too many elements");
    Node* node = &m_.nodes.emplace_back();
    node->name = tag;
    node->line = line;
    bool selfClosing = false;
    for (;;) {
      spaces();
      if (pos_ >= in_.size()) return fail("unterminated tag <" + std::string(tag) + ">", line);
      if (in_[pos_] == '>') {
        advance(1);
        break;
      }
      if (startsWith("/>")) {
        advance(2);
        selfClosing = true;
        break;
      }
      const std::string_view attr = name();
      if (attr.empty()) {
        if (!lenient_) return fail("a malformed attribute in <" + std::string(tag) + ">");
        advance(1);
        continue;
      }
      spaces();
      std::string_view value;
      if (pos_ < in_.size() && in_[pos_] == '=') {
        advance(1);
        spaces();
        if (pos_ < in_.size() && (in_[pos_] == '"' || in_[pos_] == '\'')) {
          const char quote = in_[pos_];
          const std::size_t end = in_.find(quote, pos_ + 1);
          if (end == std::string_view::npos) {
            return fail("an unterminated attribute value in <" + std::string(tag) + ">", line);
          }
          value = decoded(in_.substr(pos_ + 1, end - pos_ - 1));
          advance(end + 1 - pos_);
        } else {
          if (!lenient_) return fail("an unquoted attribute value in <" + std::string(tag) + ">");
          const std::size_t start = pos_;
          while (pos_ < in_.size() && !isSpace(in_[pos_]) && in_[pos_] != '>') advance(1);
          value = decoded(in_.substr(start, pos_ - start));
        }
      } else if (!lenient_) {
        return fail("an attribute without a value in <" + std::string(tag) + ">");
      }
      if (node->attributes.empty()) node->attributes.reserve(4);
      node->attributes.emplace_back(attr, value);
    }
    if (stack_.size() == 1 && !lenient_ && hasElement_) {
      return fail("a second document element <" + std::string(tag) + ">", line);
    }
    hasElement_ = true;
    stack_.back()->children.push_back(node);
    if (!selfClosing && !(lenient_ && isVoidHtml(tag))) {
      stack_.push_back(node);
      // Script and style content is not markup.
      if (lenient_ && (tag == "script" || tag == "style")) {
        const std::string end = "</" + std::string(tag);
        std::size_t at = pos_;
        while ((at = in_.find("</", at)) != std::string_view::npos && lowerAscii(in_.substr(at, end.size())) != end) {
          at += 2;
        }
        advance((at == std::string_view::npos ? in_.size() : at) - pos_);
      }
    }
  }

  void closeTag() {
    const int line = line_;
    advance(2);
    const std::string tag(name());
    spaces();
    if (pos_ >= in_.size() || in_[pos_] != '>') return fail("unterminated closing tag </" + tag + ">", line);
    advance(1);
    if (!lenient_) {
      if (stack_.size() <= 1 || stack_.back()->name != tag) {
        return fail("</" + tag + "> does not close " +
                        (stack_.size() > 1 ? "<" + std::string(stack_.back()->name) + ">" : std::string("any element")),
                    line);
      }
      stack_.pop_back();
      return;
    }
    // HTML: close up to the nearest open element of that name; a stray end tag is ignored.
    for (std::size_t i = stack_.size(); i-- > 1;) {
      if (stack_[i]->name == tag) {
        stack_.resize(i);
        return;
      }
    }
  }

  Markup m_;
  std::string_view in_;
  bool lenient_;
  std::size_t pos_ = 0;
  int line_ = 1;
  std::vector<Node*> stack_;
  std::size_t nodes_ = 0;
  bool hasElement_ = false;
  std::string error_;
  int errorLine_ = 0;
};

}  // namespace

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

const std::string_view* Node::attribute(std::string_view n) const {
  for (const auto& [key, value] : attributes) {
    if (key == n) return &value;
  }
  return nullptr;
}

const Node* Node::child(std::string_view n) const {
  for (const Node* c : children) {
    if (c->name == n) return c;
  }
  return nullptr;
}

std::string Node::allText() const {
  if (name.empty()) return std::string(text);
  std::string out;
  for (const Node* c : children) out += c->allText();
  return out;
}

const Node* Markup::documentElement() const {
  if (!root) return nullptr;
  for (const Node* c : root->children) {
    if (!c->name.empty()) return c;
  }
  return nullptr;
}

Markup parseMarkup(std::string_view bytes, bool lenient) {
  return Parser(bytes, lenient).run();
}

}  // namespace lexova::interchange
