// The parts every package shares: content types, the package relationships and
// the document properties.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lexova::office {

struct ContentType {
  std::string_view extensionOrPart;  // "xml" for a default, "/word/document.xml" for an override
  std::string_view type;
};
std::string contentTypes(const std::vector<ContentType>& defaults, const std::vector<ContentType>& overrides);

struct Relationship {
  std::string id, type, target;
};
std::string relationships(const std::vector<Relationship>& rels);

inline constexpr std::string_view kRelOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr std::string_view kRelImage =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
inline constexpr std::string_view kRelCore =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
inline constexpr std::string_view kRelApp =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";

// docProps/core.xml and docProps/app.xml; the date is SOURCE_DATE_EPOCH's moment
// when set, else now, in UTC.
std::string coreProperties();
std::string appProperties(int pages);
std::string w3cDateNow();

}  // namespace lexova::office
