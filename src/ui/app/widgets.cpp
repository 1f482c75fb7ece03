#include "ui/app/widgets.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <functional>

#include "assembler/label_table.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"

namespace q41::ui {

namespace {

class KeyPressFilter : public QObject {
 public:
  KeyPressFilter(QObject& watched, std::function<bool(QObject&, QKeyEvent&)> take)
      : QObject(&watched), take_(std::move(take)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    return event->type() == QEvent::KeyPress && take_(*watched, *static_cast<QKeyEvent*>(event));
  }

 private:
  std::function<bool(QObject&, QKeyEvent&)> take_;
};

}  // namespace

void FilterKeyPresses(QObject& watched, std::function<bool(QObject&, QKeyEvent&)> take) {
  watched.installEventFilter(new KeyPressFilter(watched, std::move(take)));
}
namespace {

// No status line is wide enough for more characters than this; measuring more only costs.
constexpr qsizetype LongestRow = 2000;

// A widget whose name is given, not found: the toolkit names a widget without a name of its
// own after the caption of the frame around it, and a lamp of a block that does not exist
// would say " Blocks' compilation: ".
class NamedAccessible : public QAccessibleWidget {
 public:
  NamedAccessible(QWidget* widget, QAccessible::Role role, std::function<QString()> name)
      : QAccessibleWidget(widget, role), name_(std::move(name)) {}
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? name_() : QAccessibleWidget::text(t);
  }

 private:
  std::function<QString()> name_;
};

// A lamp is read as a label whose text is its block's state. The status lines are read as a
// status bar, which a screen reader reads on request and follows as it changes; its name is
// the line's text.
QAccessibleInterface* OwnAccessible(const QString& key, QObject* object) {
  if (auto* lamp = qobject_cast<Lamp*>(object)) {
    if (key == QLatin1String(Lamp::staticMetaObject.className())) {
      return new NamedAccessible(lamp, QAccessible::StaticText,
                                 [lamp] { return lamp->accessibleName(); });
    }
  }
  if (auto* line = dynamic_cast<StatusLabel*>(object)) {
    if (key == QLatin1String("QLabel")) {
      return new NamedAccessible(line, QAccessible::StatusBar, [line] { return line->text(); });
    }
  }
  return nullptr;
}

void InstallOwnAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory(OwnAccessible);
    return true;
  }();
  (void)installed;
}

}  // namespace

void ToolWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
  InstallOwnAccessible();
}

bool StatusLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const QString whole = text();
    QString tip;
    if (ShownText() != whole) {
      // As rich text, which the tooltip wraps to the screen; the text itself is no markup.
      tip = "<p style='white-space:pre-wrap'>" +
            (whole.size() > LongestShownLine ? whole.left(LongestShownLine) + QChar(0x2026) : whole)
                .toHtmlEscaped() +
            "</p>";
    }
    setToolTip(tip);
  }
  return QLabel::event(event);
}

QString StatusLabel::ShownText() const {
  const QString whole = text();
  const int width = contentsRect().width();
  if (whole.size() <= LongestRow && fontMetrics().horizontalAdvance(whole) <= width) return whole;
  return fontMetrics().elidedText(whole.left(LongestRow), Qt::ElideRight, width);
}

// The toolkit lays a text out in rows of at most some sixteen million pixels, however wide the
// label: a line of a million characters took two rows in a label of one, and the second hid
// the first.
void StatusLabel::paintEvent(QPaintEvent* event) {
  const QString shown = ShownText();
  if (shown == text()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(&painter, contentsRect(),
                        QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shown, foregroundRole());
}

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
  InstallOwnAccessible();
}

QColor Lamp::Color() const {
  return LampColorOf(state_, *parentWidget());
}

void Lamp::SetState(LampColor state, const QString& spoken) {
  const bool changed = state != state_ || spoken != accessibleName();
  state_ = state;
  setVisible(state != LampColor::Hidden);
  // Setting the name tells the accessibility tree, which tells a screen reader.
  if (changed) setAccessibleName(spoken);
  update();
}

void Lamp::paintEvent(QPaintEvent*) {
  if (state_ == LampColor::Hidden) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Color());
  painter.setPen(Qt::black);
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
  layout_->setContentsMargins(8, 4, 8, 4);
  layout_->setSpacing(2);
  layout_->addStretch();
  // A click on the item already chosen chooses nothing.
  connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == chosen_) return;
    chosen_ = id;
    emit Clicked();
  });
}

void RadioGroup::AddItem(const QString& text) {
  auto* button = new QRadioButton(text, this);
  buttons_->addButton(button, ItemCount());
  layout_->insertWidget(layout_->count() - 1, button);
}

QList<QWidget*> RadioGroup::ItemWidgets() const {
  QList<QWidget*> out;
  for (int k = 0; k < ItemCount(); ++k) out.push_back(buttons_->button(k));
  return out;
}

int RadioGroup::ItemCount() const {
  return static_cast<int>(buttons_->buttons().size());
}

QString RadioGroup::Item(int index) const {
  auto* button = buttons_->button(index);
  return button != nullptr ? button->text() : QString();
}

int RadioGroup::ItemIndex() const {
  return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index) {
  if (auto* button = buttons_->button(index)) {
    button->setChecked(true);
    chosen_ = index;
  }
}

int LabelGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount() - 1;
}

int LabelGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant LabelGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const LabelRow& row = table_.Row(index.row() + 1);
  switch (index.column()) {
    case 0:
      return ToQt(row.name);
    case 1:
      return ToQt(row.Kind());
    default:
      return ToQt(row.Value());
  }
}

QVariant LabelGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return header_.value(section);
}

void LabelGridModel::SetHeader(int column, const QString& text) {
  header_[column] = text;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void LabelGridModel::Refresh() {
  beginResetModel();
  endResetModel();
}

QColor LampColorOf(LampColor color, const QWidget& background) {
  switch (color) {
    case LampColor::White:
      return QColor(255, 255, 255);
    case LampColor::Red:
      return QColor(255, 0, 0);
    case LampColor::Green:
      return QColor(0, 255, 0);
    case LampColor::Hidden:
      break;
  }
  return background.palette().color(QPalette::Window);
}

}  // namespace q41::ui
