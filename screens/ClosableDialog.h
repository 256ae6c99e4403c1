#pragma once
// The frame the note, notice and help screens share: a frameless modal dialog
// with the sky-blue frame, closed by Esc and by its round close button; Enter
// does nothing (it never reaches a child as a key).
#include <QDialog>

namespace tarvik {

class TImageButton;

class TClosableDialog : public QDialog {
  Q_OBJECT
 protected:
  // clientWidth x clientHeight inside the 5-pixel frame.
  TClosableDialog(QWidget* parent, const char* objectName, int clientWidth, int clientHeight);
  // The close button ("ImgBtnEsc") on `on`, wired to reject(); the caller places it.
  TImageButton* AddCloseButton(QWidget* on);
  // A white strip at the top of the client area that drags the window.
  QWidget* AddWhiteHeader(int height);
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace tarvik
