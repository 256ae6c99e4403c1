// Keys and operations of the main screen.
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>

#include "catalog/CategoryBrowserScreen.h"
#include "mainwindow/HelpScreen.h"
#include "catalog/PartNumberSearchScreen.h"
#include "catalog/ProductNoteScreen.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/NoticeScreen.h"
#include "controls/CEdit.h"
#include "order/LineText.h"
#include "order/DeliveryCalendar.h"
#include "order/QuantityDialog.h"
#include "order/OrderListScreen.h"
#include "platform/ModalRunner.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "screens/ListScreen.h"
#include "screens/RowGrid.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

MainFocus TFrmMain::FocusKind(QObject* o) const {
  if (o == edtGN_) return MainFocus::SearchBox;
  if (o == sgu_ || o == sga_) return MainFocus::ProductList;
  if (o == sgs_) return MainFocus::Basket;
  if (o == edtDD_ || o == edtNote_) return MainFocus::Field;
  return MainFocus::Other;
}

bool TFrmMain::eventFilter(QObject* o, QEvent* e) {
  switch (e->type()) {
    case QEvent::KeyPress: {
      auto* w = qobject_cast<QWidget*>(o);
      if (!w || w->window() != this) return false;
      // Keys reach the window once, at the widget they were sent to: the
      // focused control (or one of the main controls), never again while they
      // climb to the parents.
      QWidget* f = focusWidget();
      const bool mainControl = FocusKind(o) != MainFocus::Other && FocusKind(o) != MainFocus::Field;
      if (!mainControl && (f ? o != f : o != this)) return false;
      auto* k = static_cast<QKeyEvent*>(e);
      const auto mods = k->modifiers() & ~Qt::KeypadModifier;
      if (FocusKind(o) == MainFocus::ProductList && mods == Qt::NoModifier && HandleListKey(k->key()))
        return true;
      const MainAction a = MainKeyAction(k->key(), k->modifiers(), FocusKind(o));
      if (a == MainAction::None) return false;
      if (a == MainAction::TypeIntoSearch) {
        // The typed text replaces the last search, so a scan finds its code.
        FocusSearchBox();
        edtGN_->selectAll();
        edtGN_->insert(k->text());
        return true;
      }
      Act(a);
      return true;
    }
    case QEvent::FocusIn:
      if (o == edtGN_ && !switching_) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) SearchBoxFocused();
      }
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return sgs_ && o == sgs_->viewport() && BasketDropEvent(e);
    case QEvent::Wheel:
      if (o == sgu_->viewport() || o == sga_->viewport()) {
        RowGrid* g = o == sgu_->viewport() ? sgu_ : sga_;
        if (focusWidget() == g) {
          const int delta = static_cast<QWheelEvent*>(e)->angleDelta().y();
          panel_->Visible().Wheel(delta);
          RefreshList();
        }
        return true;
      }
      return false;
    default:
      return false;
  }
}

bool TFrmMain::HandleListKey(int key) {
  PageKey move;
  if (!PageKeyOf(key, &move)) return false;
  panel_->Visible().Press(move);
  RefreshList();
  return true;
}

void TFrmMain::Act(MainAction action) {
  switch (action) {
    case MainAction::ProductNote: ShowProductNote(); break;
    case MainAction::FocusSearch: FocusSearchBox(); break;
    case MainAction::DeleteLine: DeleteLine(); break;
    case MainAction::DirectInput: DirectInput(); break;
    case MainAction::ClearScreen: desk_.ClearScreen(); break;
    case MainAction::EmptyField:
      if (auto* n = qobject_cast<TCEdit*>(focusWidget()))
        n->SetValue(0);
      else if (auto* l = qobject_cast<QLineEdit*>(focusWidget()))
        l->clear();
      break;
    case MainAction::PrefixSearch: SearchEnter(true); break;
    case MainAction::ToggleList: ToggleList(); break;
    case MainAction::Exit: ExitMain(); break;
    case MainAction::FocusList: FocusList(); break;
    case MainAction::AddFromList: AddFromList(); break;
    case MainAction::ModifyLine: ModifyLine(); break;
    case MainAction::SearchEnter: SearchEnter(false); break;
    case MainAction::SendOrder: desk_.SendOrder(); break;
    case MainAction::OpenOrder: desk_.OpenOrder(false); break;
    case MainAction::OpenSample: desk_.OpenOrder(true); break;
    case MainAction::DeleteOrder: desk_.DeleteOrder(); break;
    case MainAction::CopyOrder: desk_.CopyOrder(); break;
    case MainAction::RegisterSample: desk_.RegisterSample(); break;
    case MainAction::Print: desk_.Print(); break;
    case MainAction::CategoryBrowser: BrowseCategories(); break;
    case MainAction::PartNumberSearch: OpenPartNumberSearch(); break;
    case MainAction::PasteList: PasteList(); break;
    case MainAction::OpenListFile: OpenListFile(); break;
    case MainAction::TypeIntoSearch: FocusSearchBox(); break;
    case MainAction::PickDeliveryDate: PickDeliveryDate(); break;
    case MainAction::FocusBasket: sgs_->setFocus(Qt::ShortcutFocusReason); break;
    case MainAction::ToggleBeingWritten: chkBxIOG_->toggle(); break;
    case MainAction::DeleteTraded:
      if (sbF8U_->isEnabled()) DeleteTradedProduct();
      break;
    case MainAction::Notices: ShowNotices(); break;
    case MainAction::Help: ShowHelp(); break;
    case MainAction::FocusNote: edtNote_->setFocus(Qt::ShortcutFocusReason); break;
    case MainAction::Undo: desk_.Undo(); break;
    case MainAction::TogglePriceCheck:
      if (!chkBxOCost_->isHidden()) chkBxOCost_->toggle();
      break;
    case MainAction::None:
    case MainAction::Swallow: break;
  }
}

void TFrmMain::RefreshList() {
  RowGrid* g = panel_->AllShown() ? sga_ : sgu_;
  g->Refresh(panel_->Visible().Selected());
  sbCount_->setText(QString::number(panel_->Visible().Position()));
  lblSearchCount_->setText(Q(panel_->SearchResultText()));
}

void TFrmMain::ShowLineStatus() {
  statusText_ = Q(DraftLineStatus(draft_.Line(draft_.Selected())));
  FitStatusLine();
  lblLineAmount_->setText(Q(LineAmountText(draft_.Line(draft_.Selected()), prices_)));
}

void TFrmMain::RefreshDraft() {
  sgs_->Refresh(draft_.Selected());
  ShowLineStatus();
  basketText_ = Q(desk_.BasketState());
  FitStatusLine();
  lblTotal_->setText(Q(TotalText(draft_, prices_)));
  if (S(edtDD_->text()) != draft_.DeliveryDate) edtDD_->setText(Q(draft_.DeliveryDate));
  if (S(edtNote_->text()) != draft_.Note) edtNote_->setText(Q(draft_.Note));
  chkBxIOG_->setChecked(draft_.BeingWritten);
}

void TFrmMain::SearchBoxFocused() {
  panel_->SetAllChecked(rdBtnAll_->isChecked());
  panel_->ListSwitch();
  sga_->setVisible(panel_->AllShown());
  sgu_->setVisible(!panel_->AllShown());
  sbF8U_->setEnabled(!panel_->AllShown());
  RefreshList();
}

void TFrmMain::FocusSearchBox() {
  const bool had = focusWidget() == edtGN_;
  switching_ = true;
  edtGN_->setFocus(Qt::OtherFocusReason);
  switching_ = false;
  // Gaining the focus switches the list; a box that had it keeps its list.
  if (!had) SearchBoxFocused();
}

void TFrmMain::FocusList() { (panel_->AllShown() ? sga_ : sgu_)->setFocus(Qt::OtherFocusReason); }

ProductPanel::BoxResult TFrmMain::SearchEnter(bool prefix) {
  const std::string t = S(edtGN_->text());
  const ProductPanel::BoxResult r =
      prefix ? panel_->SearchBoxPrefix(t) : panel_->SearchBoxEnter(t, chkBxOCost_->isChecked());
  if (r.clearBox) edtGN_->clear();
  RefreshList();
  RefreshDraft();
  if (r.focusList) FocusList();
  return r;
}

void TFrmMain::ToggleList() {
  (rdBtnOnly_->isChecked() ? rdBtnAll_ : rdBtnOnly_)->setChecked(true);
  // The list follows at once, also when the search box already has the focus.
  const bool had = focusWidget() == edtGN_;
  FocusSearchBox();
  if (had) SearchBoxFocused();
}

void TFrmMain::AddFromList() {
  ProductPage& page = panel_->Visible();
  const int row = page.Selected();
  RowGrid* grid = panel_->AllShown() ? sga_ : sgu_;
  if (page.RowEmpty(row)) {
    seams_.prompter.Show("제품을 선택하십시요.");
    return;
  }
  auto orZero = [](const std::string& s) { return s.empty() ? std::string("0") : s; };
  QuantityEntry::Inputs in;
  in.mode = CntMode::Add;
  in.name = page.Cell(row, kColName);
  in.box = page.Cell(row, kColBox);
  in.unitQty = orZero(page.Cell(row, kColUnitQty));
  in.defaultQty = panel_->AllShown() ? "0" : orZero(page.Cell(row, kColCount));
  const std::string code = page.Cell(row, kColCode);
  {
    TFrmCnt dlg(this, seams_.prompter, in);
    dlg.move(At(670, 180));
    if (RunModal(dlg) == QDialog::Accepted && dlg.Result()) {
      const EnteredLine& e = *dlg.Result();
      draft_.AddLine(code, e.name, e.box, e.qty, e.note);
      RefreshDraft();
    }
  }
  page.Select(row);
  RefreshList();
  grid->setFocus(Qt::OtherFocusReason);
}

void TFrmMain::BrowseCategories() {
  {
    TFrmGPartS dlg(this, dm_, seams_, basket_, [this] { RefreshDraft(); });
    dlg.move(At(500, 20));
    RunModal(dlg);
  }
  RefreshDraft();
}

void TFrmMain::FrameListPanel(bool framed) {
  RowGrid* g = panel_->AllShown() ? sga_ : sgu_;
  g->setVisible(!framed);
  pnlG_->setFrameStyle(framed ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
  pnlG_->setLineWidth(framed ? 1 : 0);
}

void TFrmMain::ModifyLine() {
  const int row = draft_.Selected();
  const DraftLine& line = draft_.Line(row);
  if (line.Empty()) return;
  QuantityEntry::Inputs in;
  in.mode = CntMode::Modi;
  in.name = line.GoodsName;
  in.box = line.GoodsBox;
  in.note = line.LineNote;
  in.quantity = StripCommas(line.Quantity);
  in.unitQty = "0";
  in.defaultQty = "0";
  FrameListPanel(true);
  std::optional<EnteredLine> entered;
  {
    TFrmCnt dlg(this, seams_.prompter, in);
    dlg.move(At(670, 180));
    if (RunModal(dlg) == QDialog::Accepted) entered = dlg.Result();
  }
  FrameListPanel(false);
  if (entered) draft_.ModifyLine(row, entered->name, entered->box, entered->qty, entered->note);
  RefreshDraft();
  sgs_->setFocus(Qt::OtherFocusReason);
}

void TFrmMain::DirectInput() {
  QuantityEntry::Inputs in;
  in.mode = CntMode::New;
  FrameListPanel(true);
  {
    TFrmCnt dlg(this, seams_.prompter, in, [this](const std::string& n, const std::string& b, const std::string& q,
                                 const std::string& note) {
      const bool added = draft_.AddDirectLine(n, b, q, note);
      RefreshDraft();
      return added;
    });
    dlg.move(At(670, 180));
    RunModal(dlg);
  }
  FrameListPanel(false);
  RefreshDraft();
}

void TFrmMain::DeleteLine() {
  desk_.DeleteLine(sgs_->SelectedRow());
  RefreshDraft();
}

void TFrmMain::ClearDraft() { desk_.ClearDraft(); }

void TFrmMain::RedrawBasket(bool cleared) {
  RefreshDraft();
  if (!cleared) return;
  // The search box shows the list again from its first record.
  const bool had = focusWidget() == edtGN_;
  FocusSearchBox();
  if (had) SearchBoxFocused();
}

void TFrmMain::ShowNote(const std::string& note) {
  statusText_ = Q(note);
  FitStatusLine();
}

std::string TFrmMain::PickFromOrderList(bool samples) {
  TFrmOrderS dlg(this, dm_, seams_, samples);
  dlg.move(At(240, 20));
  return RunModal(dlg) == QDialog::Accepted ? dlg.Chosen() : std::string();
}

std::string TFrmMain::PrintTitle() const { return S(lblTitle_->text()); }

void TFrmMain::PickDeliveryDate() {
  edtDD_->setFocus(Qt::OtherFocusReason);
  TFrmCA dlg(this, S(edtDD_->text()));
  dlg.move(At(160, 20));
  if (RunModal(dlg) == QDialog::Accepted && dlg.Chosen()) {
    edtDD_->setText(Q(*dlg.Chosen()));
    sgs_->setFocus(Qt::TabFocusReason);  // the next control after EdtDD
  }
}

void TFrmMain::ShowProductNote() {
  const ProductPage& page = panel_->Visible();
  const std::string code = TrimRightBlanks(page.Cell(page.Selected(), kColCode));
  const std::string name = TrimRightBlanks(page.Cell(page.Selected(), kColName));
  if (code.empty()) return;
  const int n = LoadProductNote(dm_, seams_, code, true);
  if (n <= 0) return;
  FillNoteLines(notes_, dm_.Catalogue.MemoReply, n);
  TFrmInfo dlg(this, "MAIN", name, notes_);
  dlg.move(At(340, 120));
  RunModal(dlg);
}

void TFrmMain::ShowNotices() {
  const int n = LoadProductNote(dm_, seams_, kNoticeCode, false);
  if (n <= 0) return;
  FillNoteLines(notes_, dm_.Catalogue.MemoReply, n);
  TFrmMessage dlg(this, notes_);
  dlg.move(At(340, 120));
  RunModal(dlg);
}

void TFrmMain::ShowHelp() {
  TFrmHelp dlg(this);
  dlg.move(At(30, 150));
  RunModal(dlg);
}

void TFrmMain::OpenPartNumberSearch() {
  TFrmCarPartNumFind dlg(this, dm_, seams_, basket_, [this] { RefreshDraft(); }, At(470, 80));
  dlg.move(At((width() - dlg.width()) / 2, (height() - dlg.height()) / 2));
  RunModal(dlg);
}

void TFrmMain::DeleteTradedProduct() {
  if (panel_->AllShown()) return;
  panel_->DeleteTradedProduct();
  RefreshList();
}

void TFrmMain::ExitMain() {
  if (desk_.ConfirmExit()) close();
}

}  // namespace tarvik
