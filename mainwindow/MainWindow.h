#pragma once
// TFrmMain: the program's one main window. Left the order draft (grid SGS and
// its header fields), right the product lists SGU / SGA with the search box.
// The rules live in ProductPanel, OrderDesk (with the OrderDraft),
// QuantityEntry and MainKeys; the window forwards keys and clicks to them and
// draws what they hold.
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/ProductNote.h"
#include "mainwindow/DraftBasket.h"
#include "mainwindow/MainKeys.h"
#include "mainwindow/ProductPanel.h"
#include "order/BasketAmounts.h"
#include "order/OrderDesk.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarvik {

struct ActionButton;
class RowGrid;
class ScanGate;
class TDM;
struct Seams;
class TImageButton;
class TFrmMain;

class TFrmMain : public QWidget, private OrderDeskPort {
  Q_OBJECT
 public:
  // Runs the log-in over the screen being created; true when it succeeded
  // (the program passes the log-in screen, which lives above this library).
  using LoginFunction = std::function<bool(QWidget* parent)>;

  // Creating the screen runs login; LoggedIn() tells whether it succeeded.
  // dm and seams must outlive the screen.
  TFrmMain(TDM& dm, const Seams& seams, const LoginFunction& login, QWidget* parent = nullptr);
  // For a session whose log-in already ran (its tables are filled).
  struct AlreadyLoggedIn {};
  TFrmMain(TDM& dm, const Seams& seams, AlreadyLoggedIn, QWidget* parent = nullptr);
  ~TFrmMain() override;

  // False when the log-in was cancelled: the program ends.
  bool LoggedIn() const { return loggedIn_; }

  // The first activation (sizes, columns, ClearDraft, the basket journal,
  // focus, update note, notices); runs once, also when called again. Showing
  // the window runs it.
  void FirstActivation();
  // The first activation keeps the basket in a journal below folder (offering
  // first what an earlier run left there); without it nothing is kept.
  void KeepBasketJournal(const std::string& folder) { journalFolder_ = folder; }
  // The first activation shows note (a finished update's, from the command
  // line) before the notices; an empty one shows nothing.
  void ShowUpdateNote(const std::string& note) { updateNote_ = note; }

  OrderDraft& Draft() { return desk_.Draft(); }
  OrderDesk& Desk() { return desk_; }
  ProductPanel& Panel() { return *panel_; }
  const NoteLines& Notes() const { return notes_; }
  // Pushes the draft's state into SGS and the header fields.
  void RefreshDraft();
  // Pushes the visible list's page into its grid and SBCount.
  void RefreshList();

  // The operations behind the buttons and keys.
  void Act(MainAction action);
  void AddFromList();
  // "분류로 검색": the category browser at the screen's top + 20, left + 500.
  void BrowseCategories();
  void ModifyLine();
  void DirectInput();
  void DeleteLine();
  void ClearDraft();
  void PickDeliveryDate();
  void ShowProductNote();
  void ShowNotices();
  void ShowHelp();
  void OpenPartNumberSearch();
  void DeleteTradedProduct();
  void ToggleList();
  void ExitMain();
  // A list of products into the basket through TFrmListPaste: from the
  // clipboard (Ctrl+V, SBPaste), from a file chosen in a file dialog
  // (Ctrl+O) or dropped on the basket.
  void PasteList();
  void OpenListFile();
  void ImportListFile(const std::string& path);
  // A barcode scan (ScanGate) from window: where the main screen has the
  // keys, into the basket as a scan in the search box; over any other window
  // (a dialog, a message box, the calendar) nothing changes and a message
  // names the code that was not taken.
  void TakeScan(const std::string& code, QWidget* window);

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void Build();
  void BuildHeader();
  // The left column from the top: the date and the operations, the basket,
  // its amounts, the second row of operations, the note and the status line.
  void BuildDraftColumn();
  void BuildDraftTopBar(int y);
  void BuildBasketGrid(int y);
  void BuildAmountBar(int y);
  void BuildDraftButtons(int y);
  void BuildNoteAndStatus(int y);
  // A row of buttons each running its operation (Act), width apart by one
  // pixel, from x; the x after the last.
  int ActionButtons(const ActionButton* buttons, std::size_t count, int x, int y, int width);
  // The right column: the search bar, the two product lists, the paging row.
  void BuildProductColumn();
  void BuildProductTopBar(int y);
  void BuildProductLists(int y);
  void BuildProductButtons(int y);
  void ApplyWidthRule();
  MainFocus FocusKind(QObject* o) const;
  bool HandleListKey(int key);
  void SearchBoxFocused();
  void FocusSearchBox();
  void FocusList();
  ProductPanel::BoxResult SearchEnter(bool prefix);
  // The status line under the basket: the whole name and note of the
  // selected line, which the grid's columns may cut; and the selected line's
  // amount in the amount bar right under the grid.
  void ShowLineStatus();
  // Sizes the two parts of the status line to statusText_ and basketText_.
  void FitStatusLine();
  // Hides the product list and frames its panel while a dialog changes the
  // basket, as the screen does around ModifyLine and direct input.
  void FrameListPanel(bool framed);
  // The list text into the basket after the dialog's Enter; source names it.
  void ImportListText(const std::string& text, const std::string& source);
  // The drop of a file on the basket (drag events on its viewport).
  bool BasketDropEvent(QEvent* e);
  QPoint At(int left, int top) const;
  QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint,
                      int x, int y, int w, int h);
  // OrderDeskPort
  std::string PickFromOrderList(bool samples) override;
  void RedrawBasket(bool cleared) override;
  std::string PrintTitle() const override;
  void ShowNote(const std::string& note) override;

  TDM& dm_;
  const Seams& seams_;
  OrderDesk desk_;
  OrderDraft& draft_;  // the desk's
  DraftBasket basket_;  // the draft as the catalogue's screens reach it
  std::unique_ptr<ProductPanel> panel_;
  NoteLines notes_;
  PriceBook prices_;
  std::string journalFolder_;
  std::string updateNote_;
  bool loggedIn_ = false;
  bool firstActivation_ = true;
  bool switching_ = false;  // FocusSearchBox runs the list switch itself
  QString listFolder_;       // where the last list file was opened
  std::unique_ptr<ScanGate> scanGate_;
  std::vector<std::string> scansNotTaken_;  // while their message is shown

  QLabel* imgLeft_ = nullptr;
  QLabel* imgRight_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  TImageButton* imgBtnEsc_ = nullptr;
  QFrame* pnlG_ = nullptr;
  RowGrid* sgu_ = nullptr;
  RowGrid* sga_ = nullptr;
  RowGrid* sgs_ = nullptr;
  QLineEdit* edtGN_ = nullptr;
  QLineEdit* edtDD_ = nullptr;
  QLineEdit* edtNote_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QLabel* lblBasket_ = nullptr;  // what the basket holds, at the status line's right end
  QString statusText_, basketText_;  // their whole texts
  QLabel* lblLineAmount_ = nullptr;  // the selected line's amount, under the basket
  QLabel* lblTotal_ = nullptr;       // "합계", beside it
  QCheckBox* chkBxIOG_ = nullptr;
  QCheckBox* chkBxOCost_ = nullptr;
  QRadioButton* rdBtnOnly_ = nullptr;
  QRadioButton* rdBtnAll_ = nullptr;
  QPushButton* sbF8U_ = nullptr;
  QPushButton* sbCount_ = nullptr;
  QLabel* lblSearchCount_ = nullptr;  // the panel's SearchResultText beside the paging buttons
};

}  // namespace tarvik
