#include "export/office/package_parts.h"

#include <cstdlib>
#include <ctime>

#include "export/office/xml_text.h"
#include "export/pdf/pdf_format.h"

namespace lexova::office {

std::string contentTypes(const std::vector<ContentType>& defaults, const std::vector<ContentType>& overrides) {
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
  for (const ContentType& d : defaults) {
    s += "<Default Extension=\"" + std::string(d.extensionOrPart) + "\" ContentType=\"" + std::string(d.type) + "\"/>";
  }
  for (const ContentType& o : overrides) {
    s += "<Override PartName=\"" + std::string(o.extensionOrPart) + "\" ContentType=\"" + std::string(o.type) + "\"/>";
  }
  s += "</Types>";
  return s;
}

std::string relationships(const std::vector<Relationship>& rels) {
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const Relationship& r : rels) {
    s += "<Relationship Id=\"" + r.id + "\" Type=\"" + r.type + "\" Target=\"" + r.target + "\"/>";
  }
  s += "</Relationships>";
  return s;
}

std::string w3cDateNow() {
  std::time_t t = std::time(nullptr);
  if (const char* e = std::getenv("SOURCE_DATE_EPOCH"); e != nullptr && *e != 0) {
    char* end = nullptr;
    const long long v = std::strtoll(e, &end, 10);
    if (end != nullptr && *end == 0 && v >= 0) t = static_cast<std::time_t>(v);
  }
  const pdf::PdfDate d = pdf::pdfDateOf(t, true);
  std::string s;
  pdf::pdfFormat(s, "%04d-%02d-%02dT%02d:%02d:%02dZ", {d.year, d.month, d.day, d.hour, d.minute, d.second});
  return s;
}

std::string coreProperties() {
  const std::string now = w3cDateNow();
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
         "<dc:creator>" +
         xmlText(u"Lexova PRO v.14.0訂正プログラム") + "</dc:creator><dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
         now + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + now +
         "</dcterms:modified></cp:coreProperties>";
}

std::string appProperties(int pages) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
         "<Application>Lexova</Application><Pages>" +
         xmlInt(pages) + "</Pages></Properties>";
}

}  // namespace lexova::office
