#include "catalog/NoteList.h"

#include <QHeaderView>

#include "platform/QtText.h"
#include "screens/ScreenKit.h"
#include "text/Text.h"

namespace tarvik {

NoteList::NoteList(QWidget* parent, int width) : QTableWidget(kNoteLineCount, 1, parent) {
  setObjectName("SGInfo");
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setColumnWidth(0, width);
  verticalHeader()->setMinimumSectionSize(19);
  verticalHeader()->setDefaultSectionSize(19);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFont(GridFont());
  setStyleSheet("QTableWidget::item { padding-left: 4px; }");
}

void NoteList::ShowLines(const NoteLines& lines) {
  for (int r = 0; r < kNoteLineCount; ++r) {
    auto* item = new QTableWidgetItem(Q(TrimRightBlanks(lines[static_cast<std::size_t>(r)])));
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    setItem(r, 0, item);
  }
  setCurrentCell(kNoteLineCount - 1, 0);
}

}  // namespace tarvik
