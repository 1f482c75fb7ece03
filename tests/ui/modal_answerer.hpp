#pragma once
// Answers the toolkit's own message boxes and file dialogs as a user does: each one once it
// has really taken the activation, by keys, in the order the test expects them.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <deque>

#include "ui/app/dialogs.hpp"

namespace q41::ui::test {

// A modal window a command is expected to open, and how the user answers it.
struct Expect {
  enum class Kind { Box, OpenFile, SaveFile } kind = Kind::Box;
  QString text;    // of a box
  bool ok = true;  // OK, or a file name given; else Cancel
  QString path;    // the file name typed
  // For a box of three buttons (Save or Restore, Discard, Cancel): the one pressed.
  std::optional<Choice> choice;

  static Expect Box(const QString& text, bool ok = true) { return {Kind::Box, text, ok, {}, {}}; }
  static Expect Choose(const QString& text, Choice choice) {
    return {Kind::Box, text, choice != Choice::Cancel, {}, choice};
  }
  static Expect File(Kind kind, bool ok, const QString& path) { return {kind, {}, ok, path, {}}; }
};

// Answers the modal windows as they open, one expected answer each, by keys once the window
// has really taken the activation. A window nobody expected, or with another text, is a fault;
// it is cancelled so that the session can go on.
class Answerer : public QObject {
 public:
  std::deque<Expect> expected;
  QStringList faults;

  Answerer() {
    connect(&timer_, &QTimer::timeout, this, &Answerer::Poll);
    timer_.start(1);
  }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
      polls_ = 0;
      return;
    }
    ++polls_;
    if (modal->property("answered").toBool()) {
      // Answered and still open: the answer did not take. Close it, or the session hangs.
      if (polls_ > 2000) {
        faults << "a window stayed open after its answer: " + modal->windowTitle();
        static_cast<QDialog*>(modal)->reject();
      }
      return;
    }
    if (QApplication::activeWindow() != modal && polls_ < 2000) return;
    if (QApplication::activeWindow() != modal) faults << "a modal window never became active";
    modal->setProperty("answered", true);
    polls_ = 0;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      Answer(*box);
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      Answer(*dialog);
    } else {
      faults << "an unknown modal window";
      QTest::keyClick(modal, Qt::Key_Escape);
    }
  }

  void Answer(QMessageBox& box) {
    const QString text = box.text();
    if (expected.empty() || expected.front().kind != Expect::Kind::Box) {
      faults << "a box nobody expected: \"" + text + "\"";
      QTest::keyClick(&box, Qt::Key_Escape);
      return;
    }
    const Expect e = expected.front();
    expected.pop_front();
    if (text != e.text) faults << "the box \"" + text + "\" where \"" + e.text + "\" was due";
    if (e.choice.has_value() != (box.button(QMessageBox::Discard) != nullptr)) {
      faults << "the box \"" + text + "\" has other buttons than due";
    }
    QAbstractButton* ok = box.button(!e.choice                      ? QMessageBox::Ok
                                     : *e.choice == Choice::Discard ? QMessageBox::Discard
                                                                    : QMessageBox::Save);
    if (e.ok && ok != nullptr) {
      ok->setFocus();
      QTest::keyClick(ok, Qt::Key_Space);
    } else {
      QTest::keyClick(&box, Qt::Key_Escape);
    }
  }

  void Answer(QFileDialog& dialog) {
    const Expect::Kind kind = dialog.acceptMode() == QFileDialog::AcceptOpen
                                  ? Expect::Kind::OpenFile
                                  : Expect::Kind::SaveFile;
    if (expected.empty() || expected.front().kind != kind) {
      faults << "a file dialog nobody expected";
      QTest::keyClick(&dialog, Qt::Key_Escape);
      return;
    }
    const Expect e = expected.front();
    expected.pop_front();
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    if (!e.ok || name == nullptr) {
      if (name == nullptr) faults << "a file dialog without its name field";
      QTest::keyClick(&dialog, Qt::Key_Escape);
      return;
    }
    // The completion list would take the Return key for itself.
    name->setCompleter(nullptr);
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, e.path);
    QTest::keyClick(name, Qt::Key_Return);
  }

  QTimer timer_;
  int polls_ = 0;
};

}  // namespace q41::ui::test
