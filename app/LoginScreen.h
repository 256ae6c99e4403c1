#pragma once
// TFrmSecS: the log-in screen. Identifies the supplier and the orderer, checks
// the password, may open the password registration, remembers the IDs in
// user.ini and loads the catalogue before it closes with OK. The steps live in
// app/LoginFlow.h; this screen forwards keys and clicks and draws.
#include <QDialog>

#include <string>

#include "app/LoginFlow.h"
#include "catalog/CatalogLoader.h"

class QLabel;
class QLineEdit;
class QProgressBar;

namespace tarvik {

class TDM;
class TImageButton;
struct Seams;

// Shows the log-in screen modally over parent (through the modal seam). True
// when the log-in succeeded and the catalogue load has run; false when it was
// cancelled.
bool RunLogin(TDM& dm, const Seams& seams, QWidget* parent);

class TFrmSecS : public QDialog, private LoginPort, private LoadProgress {
  Q_OBJECT
 public:
  // dm and seams must outlive the screen.
  TFrmSecS(TDM& dm, const Seams& seams, QWidget* parent = nullptr);

  // The log-in (SBLogin, or Enter in MEdtS); accepts the dialog on success.
  void SBLoginClick();
  // What becoming the active window does: the ID fields are refilled from the
  // session and the cursor goes to MEdtS (or EdtMID when that is empty).
  void Activated();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Message(const std::string& text) override;
  bool RunPasswordChange() override;
  LoadProgress* Progress() override { return this; }
  void Begin(long long maximum) override;
  void Step(long long position) override;
  void End() override;
  void MoveFocus(QObject* from, int step);

  TDM& dm_;
  const Seams& seams_;
  QLabel* ImgLeft = nullptr;
  QLabel* ImgRight = nullptr;
  QLineEdit* EdtMID = nullptr;
  QLineEdit* EdtCID = nullptr;
  QLineEdit* MEdtS = nullptr;
  TImageButton* SBLogin = nullptr;
  TImageButton* SBEsc = nullptr;
  QProgressBar* PBrS = nullptr;
};

}  // namespace tarvik
