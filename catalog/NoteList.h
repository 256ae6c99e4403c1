#pragma once
// The 20-row list of the note and notice screens.
#include <QTableWidget>

#include "catalog/ProductNote.h"

namespace tarvik {

class NoteList : public QTableWidget {
  Q_OBJECT
 public:
  NoteList(QWidget* parent, int width);
  // Shows the lines (trailing blanks removed) and selects the last row.
  void ShowLines(const NoteLines& lines);
};

}  // namespace tarvik
