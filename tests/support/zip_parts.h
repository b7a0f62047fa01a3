// Reads the parts of a zip package (DOCX, PPTX, XPS) back through libzip.
#pragma once

#include <zip.h>

#include <map>
#include <string>

namespace lexova::testing {

// Every part of the archive by name; empty when it is not a zip archive.
inline std::map<std::string, std::string> zipParts(const std::string& archive) {
  std::map<std::string, std::string> parts;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
  if (src == nullptr) return parts;
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &error);
  if (za == nullptr) {
    zip_source_free(src);
    return parts;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
    zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    if (f == nullptr) continue;
    std::string data(static_cast<std::size_t>(st.size), '\0');
    zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    parts[st.name] = data;
  }
  zip_close(za);
  return parts;
}

}  // namespace lexova::testing
