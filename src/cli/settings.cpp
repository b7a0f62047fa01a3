// lexova settings: every value with its default, and the output fonts.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/output.h"
#include "platform/fonts.h"
#include "text/utf.h"

namespace lexova::cli {

namespace {

void jsonValue(JsonWriter& j, const app::SettingValue& v) {
  if (const auto* n = std::get_if<long long>(&v)) {
    j.value(*n);
  } else if (const auto* d = std::get_if<double>(&v)) {
    j.value(static_cast<float>(*d));
  } else if (const auto* t = std::get_if<std::u16string>(&v)) {
    j.value(std::u16string_view(*t));
  } else {
    j.beginArray();
    for (long long x : std::get<std::vector<long long>>(v)) j.value(x);
    j.endArray();
  }
}

std::string utf8(const QString& s) {
  return s.toStdString();
}

}  // namespace

int runSettings(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (!p->positional.empty()) return usageError("settings takes no arguments");
  const settings::AllSettings defaults;
  if (p->json) {
    JsonWriter j(stdout);
    j.beginObject();
    std::string section;
    for (const app::SettingEntry& e : app::SettingsStore::schema()) {
      if (e.section != section) {
        if (!section.empty()) j.endObject();
        section = e.section;
        j.key(section);
        j.beginObject();
      }
      j.key(text::toUtf8(e.name));
      jsonValue(j, e.get(ctx.values));
    }
    if (!section.empty()) j.endObject();
    j.endObject();
    j.finish();
    return kExitOk;
  }
  std::string out;
  for (const app::SettingEntry& e : app::SettingsStore::schema()) {
    out += utf8(e.key()) + " = " + text::toUtf8(app::displayText(e.get(ctx.values))) + " (default " +
           text::toUtf8(app::displayText(e.get(defaults))) + ")\n";
  }
  settings::SettingsValues s = ctx.values.settings;
  const settings::OutputFonts f = settings::applyFontDefaults(s, platform::firstInstalledFont);
  const std::pair<const char*, const settings::FontChoice*> fonts[] = {{"japanese", &f.japanese},
                                                                       {"japanese vertical", &f.japaneseVertical},
                                                                       {"western", &f.western},
                                                                       {"simplified Chinese", &f.simplified},
                                                                       {"traditional Chinese", &f.traditional},
                                                                       {"Korean", &f.hangul}};
  out += "\nOutput fonts at start-up:\n";
  for (const auto& [name, font] : fonts) {
    out +=
        std::string("  ") + name + ": " + text::toUtf8(font->name) + " (height " + std::to_string(font->height) + ")\n";
  }
  out += "\nStore: " + utf8(ctx.store.fileName()) + "\n";
  writeTo(stdout, out);
  return kExitOk;
}

}  // namespace lexova::cli
