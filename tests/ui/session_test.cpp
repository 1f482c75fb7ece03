// Long random sessions through the three real windows, as a user works: typing and deleting in
// the main editor and in the all-blocks columns, switching blocks and windows, adding and
// deleting blocks, compiling, saving and opening, starting a new program. The message boxes
// and file dialogs are the toolkit's own: shown, taking the activation as a modal window does,
// and answered by keys. After every step two things must hold:
// - every block holds what the user typed, unless the user confirmed a question that clears it;
// - the command asked each of its questions exactly once, no more and no fewer;
// - the window's title says whether the program holds unsaved changes, and of which file.
// Closing the main window, Open, New program and a file dropped on the window ask Save,
// Don't save or Cancel while there are unsaved changes, and their own questions otherwise; a
// session ends when its main window closes. Now and then another instance writes the program
// file (or removes it): coming back to the window reads it again, or asks Keep mine or Reload
// once, and a save over it asks Save elsewhere, Overwrite or Cancel; nothing typed is lost
// and nothing the other wrote is written over, unless the user chose Reload or Overwrite.
//
// Q41_SESSION_STEPS sets the number of steps in all (20,000 unless given, fewer in the
// slower sanitizer build); Q41_SESSION_SEED
// runs the one session of that seed, to replay a failure. A failure prints the seed and the
// steps that led to it.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <map>
#include <random>

#include "blocks/compile.hpp"
#include "common/cp1251.hpp"
#include "modal_answerer.hpp"
#include "ui/app/application.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/editor/live_check.hpp"
#include "ui/editor/source_assist.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui_support.hpp"

namespace q41::ui {
namespace {

using test::Answerer;
using test::Expect;

// What the program must hold: each block's text, which blocks exist and which is current.
struct Reference {
  std::array<Lines, BlockCount> blocks;
  int last = 0;
  int current = 0;
};

// The lines of an editor's text, as the program keeps them (see EditorLines).
Lines LinesOfText(const QString& text) {
  Lines out;
  if (text.isEmpty()) return out;
  QStringList parts = text.split('\n');
  if (text.endsWith('\n')) parts.removeLast();
  for (const QString& part : parts) out.push_back(FromQt(part));
  return out;
}

// A block's text as the program file writes it: without its leading settings and empty lines.
Lines Body(const Lines& source, int block) {
  std::size_t k = 0;
  bool marker = false;
  for (; k < source.size(); ++k) {
    const std::string& line = source[k];
    const bool settings = line.empty() || line == ";CPU" || line.starts_with(";PPU=") ||
                          line.starts_with(";CPUaddr=") || line.starts_with(";PPUaddr=");
    const bool ownMarker = !marker && line.starts_with(";BLOCK " + std::to_string(block));
    if (ownMarker) marker = true;
    if (!settings && !ownMarker) break;
  }
  return Lines(source.begin() + static_cast<std::ptrdiff_t>(k), source.end());
}

// Collects the modal warnings that a compile would show.
struct Warnings : AssemblerWarnings {
  QStringList texts;
  void Warning(const std::string& text) override { texts << ToQt(text); }
};

class Session {
 public:
  Session(unsigned seed, const QString& folder)
      : program_(seed % 2 == 0 ? Language::English : Language::Russian),
        f_(program_.Form1()),
        hf_(*program_.HF()),
        f2_(program_.Form2()),
        model_(program_.model()),
        rng_(seed),
        folder_(folder) {
    program_.Show();
    if (!QTest::qWaitForWindowActive(&f_)) fault_ = "the main window never became active";
    ref_.blocks[0] = {";asm text", "", "hlt"};
    lastUsed_ = &f_;
  }

  // Runs the steps, or fewer when the main window closes; false, after printing what
  // happened, at the first fault. `ran` counts the steps that ran.
  bool Run(int steps, unsigned seed, int& ran) {
    for (int step = 1; step <= steps && !ended_; ++step) {
      Step();
      Settle();
      ++ran;
      const QString fault = Check();
      if (!fault.isEmpty()) {
        qWarning().noquote() << QString("Session %1 failed after %2 steps:\n  %3\nSteps:\n  %4")
                                    .arg(seed)
                                    .arg(step)
                                    .arg(fault, log_.join("\n  "));
        qWarning().noquote()
            << QString("Replay: Q41_SESSION_SEED=%1 Q41_SESSION_STEPS=%2").arg(seed).arg(step);
        return false;
      }
    }
    return true;
  }

 private:
  int Random(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int percent) { return Random(100) < percent; }

  void Step() {
    struct Kind {
      int weight;
      void (Session::*run)();
    };
    static const Kind kinds[] = {
        {16, &Session::TypeInMainEditor},   {6, &Session::DeleteInMainEditor},
        {12, &Session::TypeInColumn},       {4, &Session::DeleteInColumn},
        {8, &Session::SwitchTab},           {5, &Session::AddBlock},
        {3, &Session::DeleteBlock},         {10, &Session::PressF3},
        {3, &Session::ReturnButton},        {6, &Session::CompileBlock},
        {5, &Session::CompileAll},          {2, &Session::PreprocessOnly},
        {2, &Session::CompileOnly},         {2, &Session::SaveProgram},
        {1, &Session::OpenProgram},         {2, &Session::SaveCode},
        {2, &Session::NewProgram},          {1, &Session::DropFile},
        {1, &Session::CloseWindow},         {2, &Session::JumpIntoGlobal},
        {2, &Session::OtherInstanceWrites},
    };
    int total = 0;
    for (const Kind& k : kinds) total += k.weight;
    int pick = Random(total);
    for (const Kind& k : kinds) {
      if (pick < k.weight) {
        (this->*k.run)();
        return;
      }
      pick -= k.weight;
    }
  }

  // Lets the activation and everything it sets off happen, then notes which of the two block
  // windows the user is in: the one whose text is the block's real content.
  void Settle() {
    for (int k = 0; k < 3; ++k) QCoreApplication::processEvents();
    QWidget* active = QApplication::activeWindow();
    if (active == &f_ || active == &hf_) lastUsed_ = active;
  }

  // The user clicks into a window: it comes to the front and takes the activation.
  void Activate(QWidget* window) {
    if (QApplication::activeWindow() != window) {
      window->show();
      window->raise();
      window->activateWindow();
      if (!QTest::qWaitForWindowActive(window, 2000)) fault_ = "a window never became active";
    }
    Settle();
  }

  // A key pressed wherever the user is; a menu shortcut works from every window.
  void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* window = QApplication::activeWindow();
    QWidget* target = window == nullptr                  ? static_cast<QWidget*>(&f_)
                      : window->focusWidget() != nullptr ? window->focusWidget()
                                                         : window;
    QTest::keyClick(target, key, modifiers);
  }

  // One of the three windows, chosen at random, for a key to be pressed in.
  void ActivateAnyWindow() {
    const int which = Random(f2_.isVisible() ? 3 : 2);
    QWidget* const windows[] = {&f_, &hf_, &f2_};
    Activate(windows[which]);
  }

  static QString ActiveName() {
    const QWidget* window = QApplication::activeWindow();
    return window != nullptr ? window->objectName() : QString("no window");
  }

  QString Word() {
    static const char* const words[] = {
        "nop",    "hlt",     "mov #1, r0",         "x: nop", "jmp x", "; note", "zz", "add r1, r2",
        "\u2192", "a\u4e2d", "\u043c\u043e\u0432", "y=5"};
    return QString::fromUtf8(words[Random(std::size(words))]);
  }

  // Keys that carry the characters, as a keyboard or an input method sends them.
  static void TypeText(QWidget& widget, const QString& text) {
    for (const QChar c : text) {
      if (c.unicode() < 128) {
        QTest::keyClick(&widget, c.toLatin1());
      } else {
        QTest::sendKeyEvent(QTest::Press, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }

  // Typing at the end or the start of an editor; `into` is the block whose text it is.
  void TypeIn(QPlainTextEdit& editor, int block, const char* where) {
    editor.setFocus();
    const QString before = editor.toPlainText();
    const bool atStart = Chance(30);
    const bool newLine = Chance(50);
    const QString word = Word();
    QTest::keyClick(&editor, atStart ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
    TypeText(editor, word);
    if (newLine) QTest::keyClick(&editor, Qt::Key_Return);
    const QString typed = word + (newLine ? "\n" : "");
    modified_ = true;
    ref_.blocks[static_cast<std::size_t>(block)] =
        LinesOfText(atStart ? typed + before : before + typed);
    log_ << QString("type \"%1\"%2 at the %3 of %4 %5")
                .arg(word, newLine ? " and Return" : "", atStart ? "start" : "end", where)
                .arg(block);
  }

  void DeleteIn(QPlainTextEdit& editor, int block, const char* where) {
    editor.setFocus();
    const QString before = editor.toPlainText();
    const int count = 1 + Random(6);
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    for (int k = 0; k < count; ++k) QTest::keyClick(&editor, Qt::Key_Backspace);
    modified_ = modified_ || !before.isEmpty();
    ref_.blocks[static_cast<std::size_t>(block)] =
        LinesOfText(before.chopped(std::min<qsizetype>(count, before.size())));
    log_ << QString("%1 backspaces at the end of %2 %3").arg(count).arg(where).arg(block);
  }

  void TypeInMainEditor() {
    Activate(&f_);
    TypeIn(main_.SourceEditor(), ref_.current, "the main editor, block");
  }

  void DeleteInMainEditor() {
    Activate(&f_);
    DeleteIn(main_.SourceEditor(), ref_.current, "the main editor, block");
  }

  void TypeInColumn() {
    Activate(&hf_);
    const int block = Random(ref_.last + 1);
    TypeIn(blocks_.SourceEditor(block), block, "all-blocks column");
  }

  void DeleteInColumn() {
    Activate(&hf_);
    const int block = Random(ref_.last + 1);
    DeleteIn(blocks_.SourceEditor(block), block, "all-blocks column");
  }

  void SwitchTab() {
    Activate(&f_);
    const int tab = Random(ref_.last + 1);
    log_ << QString("click tab %1").arg(tab);
    main_.ChooseTab(tab);
    ref_.current = tab;
  }

  void AddBlock() {
    Activate(&f_);
    log_ << "click BP";
    if (ref_.last == BlockCount - 1) {
      main_.AddBlock();
      return;
    }
    if (ref_.blocks[static_cast<std::size_t>(ref_.last)].empty()) {
      Due(Expect::Box(program_.messages.MsgNewBlockRestricted));
      main_.AddBlock();
      return;
    }
    main_.AddBlock();
    modified_ = true;
    ++ref_.last;
    ref_.blocks[static_cast<std::size_t>(ref_.last)].clear();
    ref_.current = ref_.last;
  }

  void DeleteBlock() {
    Activate(&f_);
    if (ref_.last == 0) {
      log_ << "click BM";
      main_.DeleteBlock();
      return;
    }
    bool deletes = true;
    if (!ref_.blocks[static_cast<std::size_t>(ref_.last)].empty()) {
      deletes = Chance(60);
      Due(Expect::Box(program_.messages.MsgDeleteBlock, deletes));
    }
    log_ << QString("click BM%1").arg(deletes ? "" : ", Cancel");
    main_.DeleteBlock();
    if (!deletes) return;
    modified_ = true;
    ref_.blocks[static_cast<std::size_t>(ref_.last)].clear();
    if (ref_.current == ref_.last) --ref_.current;
    --ref_.last;
  }

  void PressF3() {
    ActivateAnyWindow();
    log_ << "F3 in " + ActiveName();
    PressKey(Qt::Key_F3, Qt::NoModifier);
  }

  void ReturnButton() {
    if (!hf_.isVisible()) return;
    log_ << "the all-blocks window's return button";
    blocks_.Return();
  }

  // The warnings a compile of the block's text shows, and whether it succeeds.
  bool DueWarnings(const Lines& source) {
    CompileWorkspace scratch;
    Warnings warnings;
    const CompileOutcome outcome = CompileSource(scratch, source, LinesOf(main_.GlobalsEditor()),
                                                 program_.settings.Options(), &warnings);
    for (const QString& text : warnings.texts) Due(Expect::Box(text));
    return outcome.succeeded;
  }

  void CompileBlock() {
    ActivateAnyWindow();
    log_ << "Ctrl+F9 in " + ActiveName();
    DueWarnings(ref_.blocks[static_cast<std::size_t>(ref_.current)]);
    PressKey(Qt::Key_F9, Qt::ControlModifier);
  }

  void CompileAll() {
    ActivateAnyWindow();
    log_ << "F9 in " + ActiveName();
    int k = 0;
    while (k < ref_.last && DueWarnings(ref_.blocks[static_cast<std::size_t>(k)])) ++k;
    if (k == ref_.last) DueWarnings(ref_.blocks[static_cast<std::size_t>(k)]);
    ref_.current = k;
    PressKey(Qt::Key_F9, Qt::NoModifier);
  }

  void PreprocessOnly() {
    Activate(&f_);
    log_ << "Preprocess only";
    main_.Choose(&MainControls::Preprocess1);
    Settle();
    if (QApplication::activeWindow() != &f2_) fault_ = "Preprocess only left its window behind";
  }

  void CompileOnly() {
    Activate(&f_);
    log_ << "Compile only";
    Lines text = LinesOf(compileText_.TextView());
    SourceLineMap lineMap = program_.workspace.lineMap;
    LabelTable labels;
    Warnings warnings;
    Assemble(text, lineMap, LinesOf(main_.GlobalsEditor()), LinesOf(main_.SourceEditor()), labels,
             program_.settings.Options(), &warnings);
    for (const QString& w : warnings.texts) Due(Expect::Box(w));
    main_.Choose(&MainControls::Compile1);
  }

  void SaveProgram() {
    ActivateAnyWindow();
    const bool answered = Chance(70);
    const QString path = QString("%1/program%2.asm").arg(folder_).arg(Random(3));
    QString said = QString("Ctrl+S in %1, %2").arg(ActiveName(), answered ? path : "Cancel");
    Due(Expect::File(Expect::Kind::SaveFile, answered, path));
    if (answered) DueSaveTo(path, said);
    log_ << said;
    PressKey(Qt::Key_S, Qt::ControlModifier);
  }

  void Saved(const QString& path) {
    saved_[path] = ref_;
    file_ = path;
    fileKnown_ = true;
    modified_ = false;
    theirs_.clear();
  }

  // The program saved to `path`: over another instance's write it asks first, and each answer
  // does what it says. True when the program was saved.
  bool DueSaveTo(const QString& path, QString& said) {
    if (path != file_ || theirs_.isEmpty()) {
      Saved(path);
      return true;
    }
    const QString text =
        Text(program_.settings.language, TextChangedOnDiskSave).arg(QFileInfo(file_).fileName());
    const int pick = Random(10);
    const Choice choice = pick < 4 ? Choice::Keep : pick < 7 ? Choice::Discard : Choice::Cancel;
    Due(Expect::Choose(text, choice));
    if (choice == Choice::Discard) {
      said += ", Overwrite";
      Saved(path);
      return true;
    }
    if (choice == Choice::Cancel) {
      said += ", Cancel";
      return false;
    }
    // Elsewhere: one of the other names, so that the question does not come again.
    const bool answered = Chance(70);
    const QString other = QString("%1/program%2.asm").arg(folder_).arg(3 + Random(2));
    Due(Expect::File(Expect::Kind::SaveFile, answered, other));
    said += answered ? ", Save elsewhere as " + other : ", Save elsewhere, Cancel";
    if (answered) Saved(other);
    return answered;
  }

  // Another instance saves the program file, or removes it; the user comes back to the
  // window. With nothing unsaved the file is read again; else the user is asked once.
  void OtherInstanceWrites() {
    if (file_.isEmpty()) return;
    const Language language = program_.settings.language;
    const QString name = QFileInfo(file_).fileName();
    QWidget* back = QApplication::activeWindow() == &f_ ? static_cast<QWidget*>(&hf_) : &f_;
    if (QFile::exists(file_) && Chance(20)) {
      log_ << "another instance removes " + file_;
      QFile::remove(file_);
      saved_.erase(file_);
      theirs_.clear();
      // Said once: not again while the program knows of no file there since.
      if (std::exchange(fileKnown_, false)) {
        Due(Expect::Box(Text(language, TextFileGone).arg(QDir::toNativeSeparators(file_))));
      }
      modified_ = true;
      Activate(back);
      return;
    }
    Reference other;
    other.blocks[0] = {FromQt(QString("fromB%1: nop").arg(++otherWrites_)), "hlt"};
    const QByteArray bytes =
        QByteArray(";memory=COMM\r\n\r\n;BLOCK 0\r\n;CPU\r\n;CPUaddr=0000\r\n\r\n") +
        QByteArray::fromStdString(JoinLines(other.blocks[0], "\r\n"));
    QFile file(file_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
      fault_ = "the other instance could not write " + file_;
      return;
    }
    file.close();
    saved_[file_] = other;
    QString said = "another instance saves " + file_ + ", back to " + back->objectName();
    const bool reloads = !modified_ || Chance(50);
    if (modified_) {
      Due(Expect::Choose(Text(language, TextChangedOnDiskReload).arg(name),
                         reloads ? Choice::Discard : Choice::Keep));
      said += reloads ? ", Reload" : ", Keep mine";
    }
    log_ << said;
    const bool silent = !modified_;
    if (reloads) {
      Opened(file_);
    } else {
      theirs_ = bytes;
    }
    Activate(back);
    const QString notice = silent ? Text(language, TextReloaded).arg(name) : QString();
    if (reloads && main_.LineStatus() != notice) {
      fault_ = "the status line says \"" + main_.LineStatus() + "\" after the file was read again";
    }
  }

  // The question that comes before unsaved work would go, and what each answer does; `said`
  // gets the answer. True when the command goes on.
  bool DueUnsaved(QString& said) {
    if (!modified_) return true;
    const Language language = program_.settings.language;
    const QString text = file_.isEmpty()
                             ? Text(language, TextUnsaved)
                             : Text(language, TextUnsavedNamed).arg(QFileInfo(file_).fileName());
    const int pick = Random(10);
    const Choice choice = pick < 5 ? Choice::Keep : pick < 8 ? Choice::Discard : Choice::Cancel;
    Due(Expect::Choose(text, choice));
    if (choice != Choice::Keep) {
      said += choice == Choice::Discard ? ", Don't save" : ", Cancel";
      return choice == Choice::Discard;
    }
    if (!file_.isEmpty()) {
      said += ", Save";
      return DueSaveTo(file_, said);
    }
    const bool answered = Chance(70);
    const QString path = QString("%1/program%2.asm").arg(folder_).arg(Random(3));
    Due(Expect::File(Expect::Kind::SaveFile, answered, path));
    said += answered ? ", Save as " + path : ", Save, Cancel";
    if (answered) Saved(path);
    return answered;
  }

  // After a program file was read: what it holds, unchanged.
  void Opened(const QString& path) {
    const Reference& file = saved_[path];
    opened_ = &file;
    ref_ = file;
    ref_.current = 0;
    file_ = path;
    fileKnown_ = true;
    modified_ = false;
    theirs_.clear();
  }

  QString AnySaved() {
    auto it = saved_.begin();
    std::advance(it, Random(static_cast<int>(saved_.size())));
    return it->first;
  }

  // A program file dragged from a file manager and dropped on the main window's source editor.
  void DropFile() {
    Activate(&f_);
    if (saved_.empty()) return;
    const QString path = AnySaved();
    QString said = "drop " + path + " on the main editor";
    const bool opens = DueUnsaved(said);
    log_ << said;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QWidget* target = main_.SourceEditor().viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    if (opens) Opened(path);
  }

  // The window manager's close button (or Alt+F4): with no unsaved changes, or once they are
  // saved or let go, the program ends and so does the session.
  void CloseWindow() {
    ActivateAnyWindow();
    QString said = "close the main window from " + ActiveName();
    const bool closes = DueUnsaved(said);
    log_ << said;
    f_.close();
    ended_ = closes;
    if (f_.isVisible() == closes) fault_ = closes ? "the window stayed open" : "the window closed";
  }

  void OpenProgram() {
    ActivateAnyWindow();
    QString said = "Ctrl+O in " + ActiveName();
    const bool asks = DueUnsaved(said);
    const bool answered = asks && !saved_.empty() && Chance(70);
    const QString path = answered ? AnySaved() : QString();
    if (asks) {
      said += answered ? ", " + path : ", Cancel";
      Due(Expect::File(Expect::Kind::OpenFile, answered, path));
    }
    log_ << said;
    PressKey(Qt::Key_O, Qt::ControlModifier);
    // The file holds each block's text after fresh marker and settings lines; the reader
    // keeps those lines at the top of each block.
    if (answered) Opened(path);
  }

  void SaveCode() {
    ActivateAnyWindow();
    log_ << "Ctrl+Alt+S in " + ActiveName();
    // The stored code of each block once the working copy is stored, as the program keeps
    // it; a block without code, with the code of a failed compile, or with code older than
    // its text is asked about.
    bool writes = true;
    const Language language = program_.settings.language;
    for (int n = 0; n <= ref_.last && writes; ++n) {
      const bool current = n == model_.CurrentBlock() && QApplication::activeWindow() != &hf_;
      const BlockRecord& r = model_.Stored(n);
      const bool failed =
          current ? static_cast<WorkingCopy&>(f_).CodeFromFailedCompile() : r.codeFromFailedCompile;
      const bool none = current ? LinesOf(main_.CodeView()).empty() : r.code.empty();
      const Lines& compiled = model_.History(n).source;
      const bool stale = compiled != ref_.blocks[static_cast<std::size_t>(n)];
      QString text = failed  ? Text(language, TextFailedBlockCode)
                     : none  ? program_.messages.MsgEmptyBlockCode
                     : stale ? Text(language, TextStaleBlockCode)
                             : QString();
      if (text.isEmpty()) continue;
      text.replace(text.indexOf('*'), 1, QString::number(n));
      writes = Chance(85);
      Due(Expect::Box(text, writes));
    }
    const bool answered = writes && Chance(70);
    const QString path = folder_ + "/code.q41";
    if (writes) Due(Expect::File(Expect::Kind::SaveFile, answered, path));
    QFile::remove(path);
    PressKey(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    if (answered) codeFile_ = path;
  }

  void NewProgram() {
    Activate(&f_);
    QString said = "New program";
    bool clears = true;
    if (modified_) {
      clears = DueUnsaved(said);
    } else if (!model_.Stored(0).source.empty()) {
      // Its own question, when the stored text of block 0 has a line.
      clears = Chance(50);
      Due(Expect::Box(program_.messages.MsgClearProgram, clears));
      if (!clears) said += ", Cancel";
    }
    log_ << said;
    main_.Choose(&MainControls::new1);
    if (!clears) return;
    ref_ = Reference{};
    ref_.blocks[0] = {"", "hlt"};
    file_.clear();
    modified_ = false;
    theirs_.clear();
  }

  // F12 or Ctrl+click on a GLOBAL name used in the block, then typing: the caret stands at the
  // definition with nothing selected, what is typed lands there, and nothing of GLOBAL (which
  // has no undo) is lost. The name and its use are typed first where they are missing.
  void JumpIntoGlobal() {
    Activate(&f_);
    QPlainTextEdit& glob = main_.GlobalsEditor();
    AsmEditor& editor = main_.SourceEditor();
    if (!glob.toPlainText().split('\n').contains("LIMIT = 5")) {
      glob.setFocus();
      QTest::keyClick(&glob, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClick(&glob, Qt::Key_Return);
      TypeText(glob, "LIMIT = 5");
      modified_ = true;
    }
    const QString use = "  mov #limit, r0";
    int line = static_cast<int>(editor.toPlainText().split('\n').indexOf(use));
    if (line < 0) {
      const QString before = editor.toPlainText();
      const QString typed = (before.isEmpty() || before.endsWith('\n') ? "" : "\n") + use + "\n";
      editor.setFocus();
      QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
      if (typed.startsWith('\n')) QTest::keyClick(&editor, Qt::Key_Return);
      TypeText(editor, use);
      QTest::keyClick(&editor, Qt::Key_Return);
      ref_.blocks[static_cast<std::size_t>(ref_.current)] = LinesOfText(before + typed);
      line = static_cast<int>(LinesOfText(before + typed).size()) - 1;
      modified_ = true;
    }
    const bool click = Chance(50);
    static const char* const texts[] = {"Q", "X_", "\n", " "};
    const QString typed = texts[Random(std::size(texts))];
    log_ << QString("%1 on LIMIT in line %2, then \"%3\"")
                .arg(click ? "Ctrl+click" : "F12")
                .arg(line + 1)
                .arg(typed == "\n" ? "Return" : typed);
    if (!QTest::qWaitFor([this] { return f_.Assist().Check().Current(); }, 20000)) {
      fault_ = "the check of the text never ended";
      return;
    }
    fault_ = TypeAtDefinition(editor, glob, line, click, typed);
  }

  // Goes from the use of LIMIT on `line` to its definition and types `typed` there.
  QString TypeAtDefinition(AsmEditor& editor, QPlainTextEdit& glob, int line, bool click,
                           const QString& typed) {
    editor.setFocus();
    QTextCursor c(editor.document()->findBlockByNumber(line));
    c.setPosition(c.position() + 9);
    editor.setTextCursor(c);
    editor.ensureCursorVisible();
    if (click) {
      QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::ControlModifier,
                        editor.cursorRect(c).center());
    } else {
      QTest::keyClick(&editor, Qt::Key_F12);
    }
    if (!glob.hasFocus()) return "the jump did not reach GLOBAL";
    const int at = glob.textCursor().position();
    const QString before = glob.toPlainText();
    if (glob.textCursor().hasSelection() || !before.mid(at).startsWith("LIMIT")) {
      return "the jump left the caret elsewhere than before the name, or selected it";
    }
    if (typed == "\n") {
      QTest::keyClick(&glob, Qt::Key_Return);
    } else {
      TypeText(glob, typed);
    }
    modified_ = true;
    const QString due = before.left(at) + typed + before.mid(at);
    if (glob.toPlainText() != due) {
      return "GLOBAL holds \"" + glob.toPlainText() + "\" where \"" + due + "\" is due";
    }
    return {};
  }

  void Due(const Expect& e) { answerer_.expected.push_back(e); }

  QString Check() {
    if (!fault_.isEmpty()) return std::exchange(fault_, QString());
    if (model_.Modified() != modified_) {
      return QString("the program %1 unsaved changes").arg(modified_ ? "lost its" : "claims");
    }
    const QString name = file_.isEmpty() ? QString() : QFileInfo(file_).fileName();
    const Language language = program_.settings.language;
    const QString shown = name.isEmpty() ? Text(language, TitleUntitled) : name;
    const QString title =
        (name.isEmpty() && !modified_ ? QString() : shown + (modified_ ? "*" : "") + " - ") +
        Text(language, TitleForm1);
    if (f_.windowTitle() != title) {
      return "the title is \"" + f_.windowTitle() + "\" where \"" + title + "\" is due";
    }
    if (!answerer_.faults.isEmpty()) return answerer_.faults.join("; ");
    if (!answerer_.expected.empty()) {
      const Expect& e = answerer_.expected.front();
      answerer_.expected.clear();
      return "a question that was due never came: " +
             (e.kind == Expect::Kind::Box ? "\"" + e.text + "\"" : QString("a file dialog"));
    }
    if (!theirs_.isEmpty() && test::ReadBytes(file_) != theirs_) {
      return "another instance's save was written over unasked";
    }
    if (ended_) return {};
    if (opened_ != nullptr) {
      // After opening, each block is its saved text below the lines the writer put on top.
      const Reference& file = *std::exchange(opened_, nullptr);
      for (int n = 0; n <= file.last; ++n) {
        const Lines& got = model_.Stored(n).source;
        if (Body(got, n) != Body(file.blocks[static_cast<std::size_t>(n)], n)) {
          return QString("block %1 opened differs from what was saved").arg(n);
        }
        ref_.blocks[static_cast<std::size_t>(n)] = got;
      }
    }
    if (model_.LastBlock() != ref_.last || main_.BlockCount() != ref_.last + 1) {
      return QString("%1 blocks where %2 are due").arg(model_.LastBlock() + 1).arg(ref_.last + 1);
    }
    if (model_.CurrentBlock() != ref_.current || main_.CurrentBlock() != ref_.current) {
      return QString("block %1 current where %2 is due")
          .arg(model_.CurrentBlock())
          .arg(ref_.current);
    }
    for (int n = 0; n < BlockCount; ++n) {
      const bool working = n == model_.CurrentBlock() && lastUsed_ == &f_;
      const Lines held = working ? LinesOf(main_.SourceEditor()) : model_.Stored(n).source;
      const Lines& due = ref_.blocks[static_cast<std::size_t>(n)];
      if (held != due) {
        return QString("block %1 holds \"%2\" where \"%3\" is due (%4)")
            .arg(n)
            .arg(ToQt(JoinLines(held, "|")), ToQt(JoinLines(due, "|")),
                 working ? "main editor" : "stored");
      }
      if (lastUsed_ == &hf_ && LinesOf(blocks_.SourceEditor(n)) != due) {
        return QString("the all-blocks column %1 shows another text than its block").arg(n);
      }
    }
    // What an editor shows is what the program keeps: no character outside the code page.
    for (QWidget* window :
         {static_cast<QWidget*>(&f_), static_cast<QWidget*>(&hf_), static_cast<QWidget*>(&f2_)}) {
      for (const QPlainTextEdit* editor : window->findChildren<QPlainTextEdit*>()) {
        const QString shown = editor->toPlainText();
        if (ToQt(FromQt(shown)) != shown) {
          return "an editor shows a character that cannot be kept: " + editor->objectName();
        }
      }
    }
    if (!codeFile_.isEmpty()) {
      const QString fault = CheckCodeFile(std::exchange(codeFile_, QString()));
      if (!fault.isEmpty()) return fault;
    }
    return {};
  }

  // Each block section's word count is the number of words it lists.
  static QString CheckCodeFile(const QString& path) {
    const QByteArray bytes = test::ReadBytes(path);
    const Lines lines = SplitLines(std::string_view(bytes.constData(), bytes.size()));
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (!lines[k].starts_with(";BLOCK ")) continue;
      if (k + 5 >= lines.size()) return "a code file section is cut short";
      std::size_t words = 0;
      while (k + 6 + words < lines.size() && !lines[k + 6 + words].empty()) ++words;
      if (lines[k + 4] != WordCountText(words)) {
        return ToQt("a code file section counts " + lines[k + 4] + " words and lists " +
                    std::to_string(words));
      }
    }
    return {};
  }

  Application program_;
  TForm1& f_;
  test::MainWindow main_{f_};  // the main window, as its user meets it
  THF& hf_;
  TForm2& f2_;
  test::AllBlocksWindow blocks_{hf_};
  test::CompileTextWindow compileText_{f2_};
  BlockModel& model_;
  Answerer answerer_;
  Reference ref_;
  std::mt19937 rng_;
  QString folder_;
  QWidget* lastUsed_ = nullptr;
  QStringList log_;
  QString fault_;
  std::map<QString, Reference> saved_;
  const Reference* opened_ = nullptr;
  QString codeFile_;
  QString file_;            // the program's file, as the title names it
  QByteArray theirs_;       // what another instance wrote there, not read again here
  bool fileKnown_ = false;  // the program read or wrote its file, and has not found it gone
  int otherWrites_ = 0;
  bool modified_ = false;  // whether it holds changes its file does not
  bool ended_ = false;     // the main window closed
};

// The offscreen platform says so each time a window is raised: thousands of lines that
// would bury a failure's report.
QtMessageHandler testHandler = nullptr;
void QuietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (!text.startsWith("This plugin does not support")) testHandler(type, context, text);
}

int EnvNumber(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok ? value : fallback;
}

}  // namespace

class SessionTest : public QObject {
  Q_OBJECT

 private slots:
  void sessions();
};

void SessionTest::sessions() {
  constexpr int StepsPerSession = 1000;
  testHandler = qInstallMessageHandler(QuietPlatform);
  const int steps = EnvNumber("Q41_SESSION_STEPS", Q41_SESSION_STEPS);
  const int onlySeed = EnvNumber("Q41_SESSION_SEED", -1);
  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  int ran = 0;
  for (unsigned seed = onlySeed >= 0 ? static_cast<unsigned>(onlySeed) : 1; ran < steps; ++seed) {
    const int length = onlySeed >= 0 ? steps : std::min(StepsPerSession, steps - ran);
    Session session(seed, folder.path());
    QVERIFY2(session.Run(length, seed, ran), "a session lost work or asked amiss; see above");
    if (onlySeed >= 0) break;
  }
  qInfo("%d steps of user sessions ran", ran);
  qInstallMessageHandler(testHandler);
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::SessionTest)
#include "session_test.moc"
