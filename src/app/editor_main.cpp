// lexova-editor: the correction editor.
#include "app/ruvod_app.h"
#include "platform/folders.h"

int main(int argc, char** argv) {
  // Qt keeps sockets and caches in the runtime folder and, without one, makes a
  // folder in /tmp: give it the user's private one instead.
  lexova::platform::provideRuntimeFolder();
  lexova::app::CRuvodEdararApp app(argc, argv);
  return app.run();
}
