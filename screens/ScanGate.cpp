#include "screens/ScanGate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include "controls/CEdit.h"

namespace tarvik {

namespace {

bool EndsScan(const QKeyEvent& k) {
  return k.key() == Qt::Key_Return || k.key() == Qt::Key_Enter || k.key() == Qt::Key_Tab ||
         k.text() == QLatin1String("\r") || k.text() == QLatin1String("\n");
}

// The one character a key types, or 0 for a key that types none.
const char* const kKeysLeft = "tarvikKeysLeftToWindow";
const char* const kRefuses = "tarvikRefusesScans";

char32_t Printable(const QKeyEvent& k) {
  const QList<uint> chars = k.text().toUcs4();
  if (chars.size() != 1 || !QChar::isPrint(chars.front())) return 0;
  return chars.front();
}

}  // namespace

ScanGate::ScanGate(QWidget* home, Sink sink, ScanTiming timing)
    : home_(home), sink_(std::move(sink)), rule_(timing) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] {
    rule_.Reset();
    GiveBack();
  });
  qApp->installEventFilter(this);
}

ScanGate::~ScanGate() { qApp->removeEventFilter(this); }

void ScanGate::LeaveKeysTo(QWidget* window) { window->setProperty(kKeysLeft, true); }

void ScanGate::RefuseScans(QWidget* field) { field->setProperty(kRefuses, true); }

bool ScanGate::ToSink(QObject* to, QWidget* window) const {
  if (window == home_) return true;
  auto* edit = qobject_cast<QLineEdit*>(to);
  // A numeric edit holds a quantity or an amount: never a code.
  return !edit || edit->isReadOnly() || !edit->isEnabled() || edit->echoMode() != QLineEdit::Normal ||
         edit->property(kRefuses).toBool() || qobject_cast<TCEdit*>(edit);
}

bool ScanGate::eventFilter(QObject* o, QEvent* e) {
  const QEvent::Type type = e->type();
  if ((type == QEvent::MouseButtonPress || type == QEvent::InputMethod) && rule_.Holding()) {
    // A click or a Korean character right after a typed key: the key first.
    rule_.Reset();
    GiveBack();
    return false;
  }
  if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || e == replaying_ || !o->isWidgetType())
    return false;
  const auto& k = *static_cast<QKeyEvent*>(e);
  if (static_cast<QWidget*>(o)->window()->property(kKeysLeft).toBool()) {
    if (rule_.Holding()) {
      rule_.Reset();
      GiveBack();
    }
    return false;
  }
  if (type == QEvent::KeyRelease) {
    if (swallowRelease_ != 0 && k.key() == swallowRelease_) {
      swallowRelease_ = 0;
      return true;
    }
    if (!rule_.Holding()) return false;
    Hold(o, k);  // it follows its press
    return true;
  }
  swallowRelease_ = 0;
  const auto mods = k.modifiers() & ~Qt::KeypadModifier;
  const bool fromKeyboard = k.timestamp() != 0 && !k.isAutoRepeat() &&
                            (mods == Qt::NoModifier || mods == Qt::ShiftModifier);
  const long long ms = static_cast<long long>(k.timestamp());
  const char32_t c = Printable(k);
  ScanRule::Step step;
  if (!fromKeyboard)
    step = rule_.Other();
  else if (EndsScan(k))
    step = rule_.End(ms);
  else if (c != 0)
    step = rule_.Char(c, ms);
  else
    step = rule_.Other();

  switch (step.verdict) {
    case ScanRule::Verdict::Pass:
      return false;
    case ScanRule::Verdict::Give:
      rule_.Reset();
      GiveBack();
      return false;
    case ScanRule::Verdict::Hold:
      if (step.releaseFirst) GiveBack();
      Hold(o, k);
      timeout_.start(rule_.PatienceMs());
      return true;
    case ScanRule::Verdict::Scan:
      break;
  }
  QPointer<QWidget> window = static_cast<QWidget*>(o)->window();
  if (!ToSink(o, window)) {
    // Typed over the field's text, its validator and its Enter as a
    // person's keys would go.
    static_cast<QLineEdit*>(o)->selectAll();
    rule_.Reset();
    GiveBack();
    return false;
  }
  const std::string code = rule_.Code();
  rule_.Reset();
  timeout_.stop();
  held_.clear();
  swallowRelease_ = k.key();
  // After the key's own delivery: the sink may open a message box.
  QTimer::singleShot(0, this, [this, code, window] { sink_(code, window.data()); });
  return true;
}

void ScanGate::Hold(QObject* to, const QKeyEvent& k) {
  held_.push_back({to, std::unique_ptr<QKeyEvent>(static_cast<QKeyEvent*>(k.clone()))});
}

void ScanGate::GiveBack() {
  timeout_.stop();
  std::vector<Held> batch = std::move(held_);
  held_.clear();
  for (Held& h : batch) {
    if (!h.to) continue;
    // A key given back may open a dialog, whose keys are new ones.
    QEvent* const was = replaying_;
    replaying_ = h.key.get();
    QCoreApplication::sendEvent(h.to, h.key.get());
    replaying_ = was;
  }
}

}  // namespace tarvik
