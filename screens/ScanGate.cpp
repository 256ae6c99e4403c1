#include "screens/ScanGate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tarvik {

namespace {

bool EndsScan(const QKeyEvent& k) {
  return k.key() == Qt::Key_Return || k.key() == Qt::Key_Enter || k.key() == Qt::Key_Tab ||
         k.text() == QLatin1String("\r") || k.text() == QLatin1String("\n");
}

// The one character a key types, or 0 for a key that types none.
char32_t Printable(const QKeyEvent& k) {
  const QList<uint> chars = k.text().toUcs4();
  if (chars.size() != 1 || !QChar::isPrint(chars.front())) return 0;
  return chars.front();
}

}  // namespace

ScanGate::ScanGate(Sink sink, ScanTiming timing) : sink_(std::move(sink)), rule_(timing) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] {
    rule_.Reset();
    GiveBack();
  });
  qApp->installEventFilter(this);
}

ScanGate::~ScanGate() { qApp->removeEventFilter(this); }

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
  const std::string code = rule_.Code();
  rule_.Reset();
  timeout_.stop();
  held_.clear();
  swallowRelease_ = k.key();
  QPointer<QWidget> window = static_cast<QWidget*>(o)->window();
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
