// lexova-editor: the correction editor.
#include "app/ruvod_app.h"

int main(int argc, char** argv) {
  lexova::app::CRuvodEdararApp app(argc, argv);
  return app.run();
}
