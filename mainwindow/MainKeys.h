#pragma once
// The function-key map of the main screen, which sees every key before the
// focused control.
#include <Qt>

namespace tarvik {

enum class MainAction {
  None,
  ProductNote,   // F1
  FocusSearch,   // F2, Space in a list
  OpenOrder,     // F3
  OpenSample,    // Ctrl+F3
  DeleteLine,    // F4 (basket focused), Delete in the basket
  DirectInput,   // F5
  CopyOrder,     // F6
  SendOrder,     // F7
  RegisterSample,// Ctrl+F7
  DeleteOrder,   // F8
  ClearScreen,   // F9
  EmptyField,    // F10
  Print,         // F11 outside the search box
  PrefixSearch,  // F11 in the search box
  ToggleList,    // F12
  Exit,          // Esc
  FocusList,     // Down in the search box
  AddFromList,   // Enter in a list
  ModifyLine,    // Enter in the basket
  SearchEnter,   // Enter in the search box
  Swallow,       // Enter elsewhere: no character, no action
  PasteList,     // Ctrl+V with the basket or a list focused, SBPaste
  OpenListFile,  // Ctrl+O
  CategoryBrowser,   // Ctrl+G, SBGPart "분류로 검색"
  PartNumberSearch,  // Ctrl+I, SpeedButton2 "수입차 부품 검색"
  TypeIntoSearch,    // a printable key in a list or the basket: into the search box
  // Keys of controls that had only the mouse, Ctrl+letter as Ctrl+G/Ctrl+I.
  PickDeliveryDate,  // Ctrl+D, SBDate "배송일"
  FocusBasket,       // Ctrl+B
  ToggleBeingWritten,// Ctrl+W, ChkBxIOG "작성중"
  DeleteTraded,      // Ctrl+R, SBF8U "제품삭제"
  Notices,           // Ctrl+N, SBMessage "공지사항"
  Help,              // Ctrl+H, SBHelp "사용방법"
  TogglePriceCheck,  // Ctrl+U, ChkBxOCost "단가검색"
  FocusNote,         // Ctrl+M, EdtNote "전달내용"
  Undo               // Ctrl+Z outside the date and note boxes: the last F4 or F9 undone
};

// Where the focus is when the key arrives (Field: the date or the note box).
enum class MainFocus { SearchBox, ProductList, Basket, Field, Other };

// The action of key with modifiers in focus. Exactly Alt: no function key
// acts. Exactly Ctrl: Ctrl+F3, Ctrl+F7, Ctrl+O, Ctrl+G, Ctrl+I, and Ctrl+V
// where no edit box would take it (the basket and the lists). Otherwise the
// plain map.
MainAction MainKeyAction(int key, Qt::KeyboardModifiers modifiers, MainFocus focus);

}  // namespace tarvik
