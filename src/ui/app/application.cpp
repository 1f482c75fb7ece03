#include "ui/app/application.hpp"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QScreen>
#include <QToolTip>
#include <QTranslator>
#include <QWindow>
#include <utility>

#include "ui/app/frame_placement.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/source_assist.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_commands.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"

namespace q41::ui {

bool ShortcutGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // A window that edits only its own fields (the find dialog) keeps the edit keys for them.
    // The event comes to the window system's window first, then to the focused widget.
    const QWidget* widget =
        watched->isWindowType() ? QApplication::focusWidget() : qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window()->property(OwnsEditKeys).toBool()) {
      return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QKeySequence& k : keys_) {
      if (k == pressed) {
        // Left unaccepted and not passed on: the shortcut map gets the key.
        event->ignore();
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void TuneAllocator() {
#ifdef __GLIBC__
  // A line of a million characters lays out in a block of some 35 MB, past the largest the
  // allocator serves from the heap when asked (32 MB): none is mapped, however large.
  mallopt(M_MMAP_MAX, 0);
  // Handed back at once, the pages of a freed block fault again at the next layout.
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

Application::Application(Language language, Dialogs* dialogs)
    : settings{language, true}, dialogs_(dialogs) {
  QLocale::setDefault(InterfaceLocale(language));
  if (language == Language::Russian) {
    // Without them (not installed) the toolkit's texts stay English; nothing else changes.
    toolkitTexts_ = std::make_unique<QTranslator>();
    if (toolkitTexts_->load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(toolkitTexts_.get());
    }
  }
  form1_ = std::make_unique<TForm1>(*this);
  if (dialogs_ == nullptr) {
    ownDialogs_ = std::make_unique<QtDialogs>(form1_.get(), language);
    dialogs_ = ownDialogs_.get();
  }
  form2_ = std::make_unique<TForm2>(form1_.get(), settings.useShortConst);
  model_ = std::make_unique<BlockModel>(form1_->Views(), workspace, settings);
  presenter_ = std::make_unique<Presenter>(*model_);
  // A completion list open while a command runs would offer words for a text the command
  // may compile, replace or leave.
  presenter_->SetBeforeCommand([this] { form1_->Assist().CloseList(); });
  hf_ = std::make_unique<THF>(*model_, *presenter_, form1_.get(), ReturnHint(settings.language));
  files_ = std::make_unique<ProgramFiles>(*this);

  QObject::connect(&KeepNotices::Get(), &KeepNotices::NotKept, form1_.get(),
                   [this](QWidget* editor, const QStringList& characters) {
                     if (editor != nullptr) TellNotKept(*editor, characters);
                   });
  // Queued: the activation settles first, and a command or modal window may be under way.
  QObject::connect(
      qApp, &QGuiApplication::focusWindowChanged, form1_.get(),
      [this](QWindow* window) {
        if (window != nullptr) CheckDisk();
      },
      Qt::QueuedConnection);
  guard_.SetKeys(CommandShortcuts());
  qApp->installEventFilter(&guard_);
  qApp->installEventFilter(&zoom_);
}

Application::~Application() {
  qApp->removeEventFilter(&zoom_);
  qApp->removeEventFilter(&guard_);
  if (toolkitTexts_) QCoreApplication::removeTranslator(toolkitTexts_.get());
  QLocale::setDefault(formerLocale_);
}

void Application::Show() {
  TForm1& form1 = *form1_;
  // Centred by the frame: the first guess before the window is mapped, the true one once
  // the window manager has framed it.
  auto* placement = new FramePlacement(form1, [](const QSize& frame) -> std::optional<QPoint> {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return std::nullopt;
    const QRect area = screen->geometry();
    return QPoint(area.x() + (area.width() - frame.width()) / 2,
                  area.y() + (area.height() - frame.height()) / 2);
  });
  form1.adjustSize();
  placement->Apply();
  ShowInFront(form1);
}

void Application::RunCommand(const std::function<void()>& command) {
  presenter_->RunCommand(command);
  if (!presenter_->CommandRunning() && std::exchange(diskCheckDue_, false)) {
    QMetaObject::invokeMethod(
        form1_.get(), [this] { CheckDisk(); }, Qt::QueuedConnection);
  }
}

void Application::CheckDisk() {
  if (presenter_->CommandRunning() || QApplication::activeModalWidget() != nullptr) {
    diskCheckDue_ = true;
    return;
  }
  // Only a change to tell runs as a command: a command takes the all-blocks window's edits.
  if (files_ == nullptr) return;
  if (const std::optional<files::FileStamp> now = files_->DiskChangeToTell()) {
    RunCommand([this, &now] { files_->CheckDisk(*now); });
  }
}

void Application::ApplyInterfaceLanguage() {
  ui::ApplyInterfaceLanguage(settings.language, *form1_, *form2_, hf_.get(), messages);
  if (files_) files_->ShowTitle();
}

namespace {

// Where a notice about the caret stands: below the caret's line, as a tooltip would, unless
// it would cover the mouse pointer there, then above the line. The toolkit takes the pointer
// leaving the widget beneath it for the user moving on, and a notice that comes up under the
// pointer was gone before it was seen.
QPoint NoticeSpot(const QWidget& editor, const QRect& caret, const QString& text) {
  // The toolkit puts a tip's corner a pointer's height below the point it is given.
  constexpr int Below = 16;
  constexpr int Margins = 12;  // the tip's frame and margins, and some room
  const QSize size = QFontMetrics(QToolTip::font()).size(0, text) + QSize(2 * Margins, 2 * Margins);
  const QPoint under = editor.mapToGlobal(caret.bottomLeft());
  const QRect covered(under + QPoint(0, Below) - QPoint(Margins, Margins), size);
  if (!covered.contains(QCursor::pos())) return under;
  return editor.mapToGlobal(caret.topLeft()) - QPoint(0, Below + size.height());
}

}  // namespace

void Application::TellNotKept(QWidget& editor, const QStringList& characters) const {
  // Each with its code, since some look like others or like nothing at all.
  constexpr qsizetype Listed = 16;
  QStringList named;
  for (const QString& c : characters.mid(0, Listed)) {
    const QString code = QString::number(c.toUcs4().value(0), 16).toUpper();
    named << c + " U+" + code.rightJustified(4, QChar('0'));
  }
  if (characters.size() > Listed) named << QString(QChar(0x2026));
  const QString text = Text(settings.language, TextNotKept).arg(named.join("   "));
  const QRect caret = editor.inputMethodQuery(Qt::ImCursorRectangle).toRect();
  QToolTip::showText(NoticeSpot(editor, caret, text), text, &editor);
}

void Application::Edited() {
  if (model_) model_->Edited();
}

void Application::Start(const QString& path) {
  RunCommand([this, &path] {
    files_->OfferRecovery();
    if (!path.isEmpty()) files_->OpenFile(path);
  });
}

}  // namespace q41::ui
