#include "platform/OffThread.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>

#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "platform/BusyCursor.h"

namespace tarvik {
namespace {

// Holds the user's input while the call runs.
class InputHold : public QObject {
 public:
  InputHold() { qApp->installEventFilter(this); }
  ~InputHold() override { qApp->removeEventFilter(this); }

  // The keys that came meanwhile go to their widgets now, in order.
  void Release() {
    qApp->removeEventFilter(this);
    for (auto& [target, event] : keys_) {
      if (target) QCoreApplication::postEvent(target, event.release());
    }
    keys_.clear();
  }

 protected:
  bool eventFilter(QObject* target, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        keys_.emplace_back(target, std::unique_ptr<QEvent>(e->clone()));
        return true;
      case QEvent::ShortcutOverride:
        e->accept();  // no shortcut fires now; the key itself comes later
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::InputMethod:
      case QEvent::ContextMenu:
      case QEvent::Drop:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      case QEvent::Close:
        if (!e->spontaneous()) return false;
        e->ignore();  // the window system's close button or Alt+F4
        return true;
      default:
        return false;
    }
  }

 private:
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> keys_;
};

}  // namespace

void RunOffGuiThread(const std::function<void()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!qobject_cast<QGuiApplication*>(app) || QThread::currentThread() != app->thread()) {
    work();
    return;
  }
  BusyCursor busy;
  InputHold hold;
  QEventLoop loop;
  bool done = false;
  std::thread worker([&] {
    work();
    // Queued: the loop quits on its own thread, once it turns again.
    QMetaObject::invokeMethod(&loop, [&done, &loop] {
      done = true;
      loop.quit();
    }, Qt::QueuedConnection);
  });
  while (!done) loop.exec(QEventLoop::AllEvents);
  worker.join();
  hold.Release();
}

}  // namespace tarvik
