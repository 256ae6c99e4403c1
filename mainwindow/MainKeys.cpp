#include "mainwindow/MainKeys.h"

namespace tarvik {

MainAction MainKeyAction(int key, Qt::KeyboardModifiers modifiers, MainFocus focus) {
  // The keypad flag says where a key sits, not which modifier is held.
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  const bool isEnter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (mods == Qt::AltModifier) return isEnter ? MainAction::Swallow : MainAction::None;
  if (mods == Qt::ControlModifier) {
    if (key == Qt::Key_F3) return MainAction::OpenSample;
    if (key == Qt::Key_F7) return MainAction::RegisterSample;
    if (key == Qt::Key_O) return MainAction::OpenListFile;
    // The two search screens have only buttons otherwise; a clerk at the
    // counter opens them without the mouse.
    if (key == Qt::Key_G) return MainAction::CategoryBrowser;
    if (key == Qt::Key_I) return MainAction::PartNumberSearch;
    switch (key) {
      case Qt::Key_D: return MainAction::PickDeliveryDate;
      case Qt::Key_B: return MainAction::FocusBasket;
      case Qt::Key_W: return MainAction::ToggleBeingWritten;
      case Qt::Key_R: return MainAction::DeleteTraded;
      case Qt::Key_N: return MainAction::Notices;
      case Qt::Key_H: return MainAction::Help;
      case Qt::Key_U: return MainAction::TogglePriceCheck;
      case Qt::Key_M: return MainAction::FocusNote;
      // The date and note boxes keep their own undo of typing.
      case Qt::Key_Z: return focus == MainFocus::Field ? MainAction::None : MainAction::Undo;
      default: break;
    }
    if (key == Qt::Key_V && (focus == MainFocus::Basket || focus == MainFocus::ProductList))
      return MainAction::PasteList;
    return isEnter ? MainAction::Swallow : MainAction::None;
  }
  // A barcode scanner types where the focus is: in a list its digits were
  // lost and its Enter added the selected product, the wrong part. A
  // printable key there starts a search instead, as after F2.
  if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) && key > Qt::Key_Space &&
      key <= Qt::Key_AsciiTilde && (focus == MainFocus::ProductList || focus == MainFocus::Basket))
    return MainAction::TypeIntoSearch;
  switch (key) {
    case Qt::Key_F1: return MainAction::ProductNote;
    case Qt::Key_F2: return MainAction::FocusSearch;
    case Qt::Key_F3: return MainAction::OpenOrder;
    case Qt::Key_F4: return focus == MainFocus::Basket ? MainAction::DeleteLine : MainAction::None;
    case Qt::Key_F5: return MainAction::DirectInput;
    case Qt::Key_F6: return MainAction::CopyOrder;
    case Qt::Key_F7: return MainAction::SendOrder;
    case Qt::Key_F8: return MainAction::DeleteOrder;
    case Qt::Key_F9: return MainAction::ClearScreen;
    case Qt::Key_F10: return MainAction::EmptyField;
    case Qt::Key_F11: return focus == MainFocus::SearchBox ? MainAction::PrefixSearch : MainAction::Print;
    case Qt::Key_F12: return MainAction::ToggleList;
    case Qt::Key_Escape: return MainAction::Exit;
    case Qt::Key_Down: return focus == MainFocus::SearchBox ? MainAction::FocusList : MainAction::None;
    case Qt::Key_Space: return focus == MainFocus::ProductList ? MainAction::FocusSearch : MainAction::None;
    case Qt::Key_Delete: return focus == MainFocus::Basket ? MainAction::DeleteLine : MainAction::None;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      switch (focus) {
        case MainFocus::ProductList: return MainAction::AddFromList;
        case MainFocus::Basket: return MainAction::ModifyLine;
        case MainFocus::SearchBox: return MainAction::SearchEnter;
        default: return MainAction::Swallow;
      }
    default: return MainAction::None;
  }
}

}  // namespace tarvik
