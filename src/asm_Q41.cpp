// The windowed Q41 assembler: creates the windows in their start-up order and runs the
// message loop until the main window closes. One argument, a program file, is opened at
// start-up as Open .ASM opens it (what desktops pass when a file is opened with it).

#include <QApplication>
#include <csignal>

#include "ui/app/application.hpp"

#ifndef Q41_LANGUAGE
#define Q41_LANGUAGE 0
#endif

int main(int argc, char** argv) {
  // The interface language is fixed when the program is built.
  constexpr q41::Language language =
      Q41_LANGUAGE == 1 ? q41::Language::English : q41::Language::Russian;
  // Past a file size limit a save then fails with its error box, instead of the signal
  // ending the program with the user's work in it.
  std::signal(SIGXFSZ, SIG_IGN);
  q41::ui::TuneAllocator();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Q41");
  // The toolkit has taken its own options out; what is left is the program's.
  const QStringList arguments = QApplication::arguments();
  q41::ui::Application program(language);
  program.Show();
  program.Start(arguments.size() > 1 ? arguments[1] : QString());
  return QApplication::exec();
}
