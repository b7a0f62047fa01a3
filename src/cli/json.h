// A streaming JSON emitter in the tool's output style: `{"ok": true, "pages": 3}`.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace lexova::cli {

class JsonWriter {
 public:
  explicit JsonWriter(std::FILE* out) : out_(out) {}
  ~JsonWriter() { flush(); }
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  // The key of the next member of the current object.
  void key(std::string_view k);
  void value(long long v);
  void value(int v) { value(static_cast<long long>(v)); }
  void value(float v);
  void value(bool v);
  void value(std::string_view utf8);
  void value(const char* utf8) { value(std::string_view(utf8)); }
  void value(std::u16string_view text);
  void null();
  // Ends the document with a line end and writes everything out.
  void finish();
  void flush();

 private:
  void open(char c);
  void close(char c);
  void separate();
  void raw(std::string_view s);
  void quoted(std::string_view utf8);

  std::FILE* out_;
  std::string buf_;
  std::vector<bool> first_;  // per open container: no member written yet
  bool afterKey_ = false;
};

}  // namespace lexova::cli
