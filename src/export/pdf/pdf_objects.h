// The objects of a PDF file as this writer makes them: each builds its complete
// text, from "N 0 obj" to "endobj", in the byte formats of the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/byte_io.h"

namespace lexova::pdf {

class CPDFobj {
 public:
  explicit CPDFobj(int number) : number_(number) {}
  virtual ~CPDFobj() = default;
  CPDFobj(const CPDFobj&) = delete;
  CPDFobj& operator=(const CPDFobj&) = delete;

  int number() const { return number_; }
  // Appends the object's complete text to out.
  virtual void BuildText(std::string& out) const = 0;
  // Writes the object's text to out; returns its length in bytes.
  std::uint64_t WriteTo(io::ByteSink& out) const;

 private:
  int number_;
};

// The document information: six UTF-16 texts (stored as hex) and the creation date.
class CPDFinfo final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;
  std::string creator, producer, title, subject, author, keywords;  // upper-case hex
  std::string creationDate;                                         // formatPdfDate
};

class CPDFproc final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;
  bool hasImages = false;
};

class CPDFcatalog final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;
  int pages = 4;
  int firstPage = 0;
};

class CPDFpages final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;
  std::vector<int> kids;
};

class CPDFpage final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;
  int parent = 4, contents = 0, procSet = 2;
  int width = 72, height = 72;  // points
  std::string fontLines, imageLines;
  int structParents = 0;
};

// One picture of a page as an image XObject; data is the encoded picture (a JPEG
// file, or Group 4 data). Kind 1 is one bit per pixel, 8 gray, 24 colour.
class CPDFimage final : public CPDFobj {
 public:
  CPDFimage(int number, int nameIndex) : CPDFobj(number), nameIndex_(nameIndex) {}
  void BuildText(std::string& out) const override;
  int nameIndex() const { return nameIndex_; }
  double x = 0, y = 0, width = 0, height = 0;  // placement in points
  int pixelWidth = 0, pixelHeight = 0;
  int kind = 24;
  bool mask = false;
  std::uint32_t color = 0;  // a mask's fill colour, 0xRRGGBB
  std::span<const std::uint8_t> data;

 private:
  int nameIndex_;
};

}  // namespace lexova::pdf
