#pragma once
// Helpers for the window tests: scripted answers to the message boxes and file dialogs, and
// short ways to read and write the editors in UTF-8.

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "common/cp1251.hpp"
#include "drivers/all_blocks_window.hpp"
#include "drivers/compile_text_window.hpp"
#include "drivers/editor_text.hpp"
#include "drivers/main_window.hpp"
#include "ui/app/application.hpp"
#include "ui/app/dialogs.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/mainform.hpp"
#include "ui/tools/tool_windows.hpp"

namespace q41::ui::test {

class ScriptedDialogs : public Dialogs {
 public:
  // Answers for the confirmations, one per question the test expects, in order. A question
  // beyond them fails the test (and is answered Cancel): a command that asks twice, or asks
  // what it should not, must not pass for one that asks once.
  std::deque<bool> answers;
  // The same for the three-button questions (save changes, restore work).
  std::deque<Choice> choices;
  QStringList files;  // the dialogs' answers, in order; an empty name cancels
  // What to print, one per print command; nothing cancels.
  std::deque<std::optional<PrintContent>> printContents;
  QStringList shown;  // every box's text, in order

  void Warning(const QString& text) override { shown << text; }
  void Error(const QString& text) override { shown << text; }
  bool Confirm(const QString& text) override {
    shown << text;
    if (answers.empty()) {
      QTest::qFail(qPrintable("a question nobody expected: " + text), __FILE__, __LINE__);
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool ConfirmWarning(const QString& text) override { return Confirm(text); }
  Choice AskToSave(const QString& text) override { return Choose(text); }
  Choice AskToRestore(const QString& text) override { return Choose(text); }
  Choice AskToOverwrite(const QString& text) override { return Choose(text); }
  Choice AskToReload(const QString& text) override { return Choose(text); }
  std::optional<QString> OpenFile(const QString&) override { return NextFile(); }
  std::optional<QString> SaveFile(const QString&, const QString&, const QString&) override {
    return NextFile();
  }
  std::optional<PrintContent> ChoosePrintContent(const QString& title, bool) override {
    shown << title;
    if (printContents.empty()) {
      QTest::qFail(qPrintable("a print question nobody expected: " + title), __FILE__, __LINE__);
      return std::nullopt;
    }
    const std::optional<PrintContent> content = printContents.front();
    printContents.pop_front();
    return content;
  }
  // The printer chosen is a PDF file of the next name of `files`.
  bool SetUpPrinter(QPrinter& printer) override {
    const std::optional<QString> file = NextFile();
    if (!file) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*file);
    return true;
  }

 private:
  Choice Choose(const QString& text) {
    shown << text;
    if (choices.empty()) {
      QTest::qFail(qPrintable("a question nobody expected: " + text), __FILE__, __LINE__);
      return Choice::Cancel;
    }
    const Choice choice = choices.front();
    choices.pop_front();
    return choice;
  }
  std::optional<QString> NextFile() {
    if (files.isEmpty()) return std::nullopt;
    const QString file = files.takeFirst();
    if (file.isEmpty()) return std::nullopt;
    return file;
  }
};

// A fresh program, its windows shown as the message loop shows them at start-up.
struct Started {
  ScriptedDialogs dialogs;
  Application program;
  TForm1& f;
  MainWindow w;  // the windows, as their user meets them
  AllBlocksWindow blocks;
  CompileTextWindow compileText;
  explicit Started(Language language = Language::English)
      : program(language, &dialogs),
        f(program.Form1()),
        w(f),
        blocks(*program.HF()),
        compileText(program.Form2()) {
    program.Show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
  }
};

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The colour at the centre of `widget` in a picture of `window`.
inline QColor ColourAt(const QImage& picture, const QWidget& window, const QWidget& widget) {
  return picture.pixelColor(widget.mapTo(&window, widget.rect().center()));
}

// Whether a picture of `window` shows `colour` anywhere within `widget`.
inline bool Shows(const QImage& picture, const QWidget& window, const QWidget& widget,
                  const QColor& colour) {
  const QRect area(widget.mapTo(&window, QPoint(0, 0)), widget.size());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (picture.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

// Answers the modal windows as they open and take the activation, one answer each, in order.
class ModalAnswers : public QObject {
 public:
  std::deque<std::function<void(QWidget&)>> answers;

  ModalAnswers() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (answers.empty() || modal == nullptr || QApplication::activeWindow() != modal ||
          modal->property("answered").toBool()) {
        return;
      }
      modal->setProperty("answered", true);
      const auto answer = answers.front();
      answers.pop_front();
      answer(*modal);
    });
    timer_.start(10);
  }

 private:
  QTimer timer_;
};

// The caption of a dialog's or box's Cancel button.
inline QString CancelCaption(QWidget& modal) {
  auto* box = modal.findChild<QDialogButtonBox*>();
  return box != nullptr && box->button(QDialogButtonBox::Cancel) != nullptr
             ? box->button(QDialogButtonBox::Cancel)->text()
             : QString("(no Cancel button)");
}

// Where the tests leave their screenshots: the build folder, as the test run tells.
inline QString ScreenshotPath(const QString& name) {
  const QString dir = qEnvironmentVariable("Q41_SCREENSHOT_DIR", "screenshots");
  QDir().mkpath(dir);
  return dir + "/" + name + ".png";
}

}  // namespace q41::ui::test
