// lexova-editor: the correction editor.
#include <cstdlib>
#include <string>

#include "app/ruvod_app.h"
#include "platform/folders.h"

int main(int argc, char** argv) {
  // Qt keeps sockets and caches in the runtime folder and, without one, makes a
  // folder in /tmp: give it the user's private one instead.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') {
    const std::string folder = lexova::platform::runtimeFolder();
    if (!folder.empty()) ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  lexova::app::CRuvodEdararApp app(argc, argv);
  return app.run();
}
