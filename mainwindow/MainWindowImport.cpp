// Lists of products into the basket: pasted, opened or dropped.
#include <QClipboard>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>

#include "mainwindow/MainWindow.h"
#include "order/BasketImport.h"
#include "order/ListPasteDialog.h"
#include "platform/ModalRunner.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {

namespace {

// The first local file a clipboard or a drag carries; empty when none.
QString LocalFile(const QMimeData* m) {
  if (!m || !m->hasUrls()) return QString();
  for (const QUrl& u : m->urls())
    if (u.isLocalFile()) return u.toLocalFile();
  return QString();
}

// Qt's own file dialog (where the platform has no native one) writes sizes
// and change dates in the system locale, English on a PC set to C; the
// clerk reads Korean.
class KoreanDates : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    const QModelIndex source = mapToSource(index);
    if (role != Qt::DisplayRole || !files) return QSortFilterProxyModel::data(index, role);
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    if (index.column() == 1 && !files->isDir(source)) return korean.formattedDataSize(files->size(source));
    if (index.column() == 3) return korean.toString(files->lastModified(source), QLocale::ShortFormat);
    return QSortFilterProxyModel::data(index, role);
  }
};

}  // namespace

void TFrmMain::PasteList() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  const QString file = LocalFile(m);
  if (!file.isEmpty()) {  // a file copied in a file manager
    ImportListFile(S(file));
    return;
  }
  ImportListText(m ? S(m->text()) : std::string(), "클립보드");
}

void TFrmMain::OpenListFile() {
  if (listFolder_.isEmpty()) listFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QFileDialog dlg(this, QStringLiteral("제품 목록 파일 열기"), listFolder_,
                  QStringLiteral("목록 파일 (*.csv *.txt);;모든 파일 (*)"));
  dlg.setObjectName("FrmListFile");
  dlg.setProxyModel(new KoreanDates(&dlg));
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (RunModal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  const QString path = dlg.selectedFiles().first();
  listFolder_ = QFileInfo(path).absolutePath();
  ImportListFile(S(path));
}

void TFrmMain::ImportListFile(const std::string& path) {
  std::string text, message;
  if (!ReadListFile(path, text, message)) {
    seams_.prompter.Show(message);
    return;
  }
  ImportListText(text, S(QFileInfo(Q(path)).fileName()));
}

void TFrmMain::ImportListText(const std::string& text, const std::string& source) {
  const std::vector<ListRow> rows = SplitListRows(text);
  if (rows.empty()) {
    seams_.prompter.Show("넣을 제품 목록이 없습니다.\r\r한 줄에 바코드나 제품코드, 그리고 수량을 적은 목록을\r복사하거나 파일로 여십시요.");
    return;
  }
  if (rows.size() > static_cast<std::size_t>(kListRows)) {
    seams_.prompter.Show("목록이 너무 깁니다.\r\r한 번에 " + std::to_string(kListRows) + "행까지 넣을 수 있습니다.");
    return;
  }
  // The visible list's table first, then every product.
  const CatalogueTables& tables = dm_.Catalogue;
  const ListPlan plan(rows, {{&panel_->BaseTable(), panel_->BaseCount()}, {&tables.AllGoods, tables.AllCount}},
                      draft_);
  int result;
  {
    TFrmListPaste dlg(this, plan, source);
    dlg.move(At((width() - dlg.width()) / 2, (height() - dlg.height()) / 2));
    result = RunModal(dlg);
  }
  if (result != QDialog::Accepted || !plan.ConfirmQuantities(seams_.prompter)) return;
  plan.Apply(draft_);
  RefreshDraft();
  sgs_->setFocus(Qt::OtherFocusReason);
}

bool TFrmMain::BasketDropEvent(QEvent* e) {
  auto* d = static_cast<QDropEvent*>(e);  // QDragEnterEvent and QDragMoveEvent derive from it
  const QMimeData* m = d->mimeData();
  const QString file = LocalFile(m);
  if (file.isEmpty() && !(m && m->hasText())) return false;
  d->acceptProposedAction();
  if (e->type() != QEvent::Drop) return true;
  // The dialog opens once the drop is over, not inside the drag's own loop.
  const std::string path = S(file), text = m ? S(m->text()) : std::string();
  QTimer::singleShot(0, this, [this, path, text] {
    if (!path.empty())
      ImportListFile(path);
    else
      ImportListText(text, "끌어놓기");
  });
  return true;
}

}  // namespace tarvik
