// The windowed Q41 assembler: creates the windows in their start-up order and runs the
// message loop until the main window closes. It reads no command line.

#include <QApplication>
#include <csignal>

#include "ui/program.hpp"

#ifndef Q41_LANGUAGE
#define Q41_LANGUAGE 0
#endif

int main() {
  // The interface language is fixed when the program is built.
  constexpr q41::Language language =
      Q41_LANGUAGE == 1 ? q41::Language::English : q41::Language::Russian;
  int argc = 1;
  char name[] = "asm_Q41";
  char* argv[] = {name, nullptr};
  // Past a file size limit a save then fails with its error box, instead of the signal
  // ending the program with the user's work in it.
  std::signal(SIGXFSZ, SIG_IGN);
  q41::ui::TuneAllocator();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Q41");
  q41::ui::Program program(language);
  program.Show();
  return QApplication::exec();
}
