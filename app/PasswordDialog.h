#pragma once
// TFrmSecModi: the small modal dialog in which an orderer without a password
// registers one. Accepted when the service stored it (C_SS of the session
// then holds it), rejected otherwise. Rules: app/PasswordChange.h.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tarvik {

class TDM;
struct Seams;

class TFrmSecModi : public QDialog {
  Q_OBJECT
 public:
  // dm and seams must outlive the dialog.
  TFrmSecModi(TDM& dm, const Seams& seams, QWidget* parent = nullptr);

  // "등록" (also Enter in MEdtV): closes with OK when the password was stored.
  void SBLoginClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent*) override;

 private:
  TDM& dm_;
  const Seams& seams_;
  QLineEdit* MEdtS = nullptr;
  QLineEdit* MEdtV = nullptr;
  QPushButton* SBEsc = nullptr;
  QPushButton* SBLogin = nullptr;
};

}  // namespace tarvik
