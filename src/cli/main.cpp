// lexova: the batch tool over the editor's core.
#include "cli/commands.h"

int main(int argc, char** argv) {
  return lexova::cli::runLexova(lexova::cli::Args(argv + 1, argv + argc));
}
