#pragma once
// The start-up screen: a status line and a progress bar while the update
// passes run. The rules live in UpdatePasses; this screen only shows them.
#include <QDialog>
#include <QImage>

#include "update/UpdatePasses.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace tarvik {

// The picture the screen shows when the program folder has no skin of its
// own ("Icon/update.bmp"), carried in the program: 402 x 268, light behind
// the status line.
extern const char* const kDefaultSkin;

class TFrmSplash : public QDialog, public UpdateView {
  Q_OBJECT
 public:
  // Removes a left-over "NEW_" program file, computes OwnCrc and loads the
  // skin bitmap when present; without it the screen keeps 402 x 268 and
  // shows the carried picture kDefaultSkin.
  // seams must outlive the screen.
  TFrmSplash(const UpdatePlaces& places, const Seams& seams, QWidget* parent = nullptr);

  // Normal start: shown modally with an empty status line; 600 ms after it is
  // shown the check pass runs once and the screen closes. Its result.
  int RunCheck();
  // Replacement pass: shown without waiting, repainted, then the pass runs.
  // The screen stays up; its result.
  int RunApply();

  UpdatePasses& Passes() { return passes_; }
  // The skin came from update.bmp (false when the carried picture is shown).
  bool HasSkin() const { return HasSkin_; }

  void ShowStatus(const std::string& text) override;
  void ShowProgress(std::uint32_t max, std::uint32_t position) override;
  void HideProgress() override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void showEvent(QShowEvent* e) override;
  // The screen closes when its pass ends, never on Esc or a close request:
  // closed early, the check would not run and the program would just end.
  void reject() override {}

 private:
  void Timer1Timer();

  UpdatePasses passes_;
  QLabel* LblMsg;
  QProgressBar* Gauge1;
  QTimer* Timer1;
  QImage SkinBitmap;
  bool HasSkin_ = false;
  bool checkMode_ = false;
  int result_ = -1;
};

}  // namespace tarvik
