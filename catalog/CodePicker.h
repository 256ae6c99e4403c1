#pragma once
// The rules of the car make and car group pickers (TFrmMakeS, TFrmGroupS)
// without widgets: one code list fetched once from the service, paged 25 rows
// at a time, and the chosen entry's code and name handed back. The two
// pickers differ only in the table entry they are given.
#include <optional>
#include <string>

#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"

namespace tarvik {

class TDM;
struct PostOutcome;
struct Seams;
struct ServiceLink;

struct CodeListKind {
  const char* screenName;  // objectName of the picker screen
  // The request function of the list (RequestCarMakes, RequestCarGroups).
  PostOutcome (*request)(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
  const char* codeField;
  const char* nameField;
  const char* order;        // ORDERBY
  const char* nameCaption;  // caption of the name column
};

extern const CodeListKind kCarMakeList;   // "/NET/CarMake.php", CM_CODE, CM_NAME
extern const CodeListKind kCarGroupList;  // "/NET/CarGroup.php", CG_CODE, CG_NAME

// The caller's elements of a code-list request: every entry, by code.
std::string CodeListElements(const CodeListKind& kind);

// A code list's entry: its code and its name.
struct CodeAndName {
  std::string code, name;
};

class CodePicker {
 public:
  // dm and seams must outlive the picker.
  CodePicker(TDM& dm, const Seams& seams, const CodeListKind& kind);
  CodePicker(const CodePicker&) = delete;
  CodePicker& operator=(const CodePicker&) = delete;

  const CodeListKind& Kind() const { return kind_; }

  // Sends the request, once for the picker's life (a second call does
  // nothing and returns the first result). A read error shows its message;
  // Records fills the window from the first entry; the selection goes to row 0.
  ReplyRecordSource::Load Load();

  // The count display: the number of the selected row within the window
  // (0 for the top row, 24 for the bottom one), taken when the selected row
  // changes; "1" until it first does. Call after every move of the list.
  std::string CountText();

  // OK on the selected row: its code and name without trailing blanks become
  // Chosen; true. An empty code (an empty row) is a cancel: false.
  bool Confirm();
  // Nothing chosen.
  void Cancel() { chosen_.reset(); }
  // The entry of the last Confirm, until a cancel.
  const std::optional<CodeAndName>& Chosen() const { return chosen_; }

  PagedList& List() { return list_; }
  const PagedList& List() const { return list_; }
  long long ListCount() const { return source_.ListCount(); }

 private:
  TDM& dm_;
  const Seams& seams_;
  const CodeListKind& kind_;
  ReplyRecordSource source_;
  PagedList list_;
  bool loaded_ = false;
  ReplyRecordSource::Load load_ = ReplyRecordSource::Load::NoRecords;
  int countRow_ = 0;
  std::string countText_ = "1";
  std::optional<CodeAndName> chosen_;
};

}  // namespace tarvik
