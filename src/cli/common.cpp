#include "cli/common.h"

#include <charconv>
#include <cstdio>
#include <tuple>

#include "text/utf.h"

namespace lexova::cli {

void printError(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

int usageError(const std::string& text) {
  printError("lexova: " + text);
  printError("Try 'lexova --help'.");
  return kExitUsage;
}

std::optional<int> parseInt(const std::string& s) {
  int v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<Parsed> parseArgs(const Args& args, bool acceptJson, const std::vector<std::string>& valued,
                                std::string& error) {
  Parsed p;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json" && acceptJson) {
      p.json = true;
    } else if (a.size() > 2 && a.starts_with("--")) {
      bool known = false;
      for (const std::string& name : valued) {
        if (a == "--" + name) {
          if (i + 1 >= args.size()) {
            error = "option " + a + " needs a value";
            return std::nullopt;
          }
          p.values[name] = args[++i];
          known = true;
        }
      }
      if (!known) {
        error = "unknown option " + a;
        return std::nullopt;
      }
    } else {
      p.positional.push_back(a);
    }
  }
  return p;
}

std::string readFailure(const vuzozoviv::ReadResult& r) {
  const std::string message = text::toUtf8(vuzozoviv::readErrorMessage(r.code, r.line));
  return r.detail.empty() ? message : message + " (" + r.detail + ")";
}

std::optional<OpenedPaper> openAsEditor(const Context& ctx, const std::string& path) {
  OpenedPaper opened = openPaper(path, settings::reconstructionOptions(ctx.values.settings));
  if (!opened.read.paper) {
    printError(path + ": " + readFailure(opened.read));
    return std::nullopt;
  }
  return opened;
}

std::optional<PageBounds> pageBounds(const Parsed& p, int pageCount, std::string& error) {
  PageBounds b{0, pageCount - 1};
  for (auto [name, target, unbounded] : {std::tuple{"first", &b.first, 0}, {"last", &b.last, pageCount - 1}}) {
    const auto it = p.values.find(name);
    if (it == p.values.end()) continue;
    const auto v = parseInt(it->second);
    if (!v || *v < -1) {
      error = "invalid value for --" + std::string(name) + ": " + it->second;
      return std::nullopt;
    }
    *target = *v == -1 ? unbounded : *v;
  }
  return b;
}

Loaded load(const std::string& path) {
  Loaded l{vuzozoviv::readPaperFile(path), {}};
  if (l.result.paper) {
    computeStandardDpi(*l.result.paper);
  } else {
    l.message = text::toUtf8(vuzozoviv::readErrorMessage(l.result.code, l.result.line));
  }
  return l;
}

}  // namespace lexova::cli
