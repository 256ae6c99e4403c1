#pragma once
// The rules of the imported-car part-number search (TFrmCarPartNumFind)
// without widgets: the picked make and group, the search by model or chassis
// number into a 25-row PagedList, and adding the product of the selected
// part number to the basket through the quantity dialog. Messages go
// through the Prompter; the screen shows the fields and the list this class
// holds and forwards keys to it.
#include <string>

#include "catalog/BasketPort.h"
#include "catalog/CodePicker.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"

namespace tarvik {

class TDM;
struct Seams;

// A product name as the search hands it to the quantity dialog. With L its
// length in CP949 bytes: when L > 13 and the bytes L-11, L-7 and L-3 (from 1)
// are blanks, its first L-7 bytes (a trailing pair of three-byte groups goes,
// the blank before them stays); otherwise the name unchanged.
std::string CutNameSuffix(const std::string& name);

enum class PartSearchKind { Model, Body };

// The caller's elements of a part-number search: the group, then the make,
// then by kind the model's start (word + "%", by CPN_NAME) or a piece of the
// chassis number ("%" + word + "%", by CPN_BODY).
std::string PartSearchElements(PartSearchKind kind, const std::string& groupCode,
                               const std::string& makeCode, const std::string& word);

// The part-number record fields, in column order; the last one is not shown.
enum PartColumn { kPartName, kPartType, kPartPower, kPartYear, kPartBody, kPartGoodsCode };

// What the search needs of the screens around it.
class CarPartSearchPort {
 public:
  virtual ~CarPartSearchPort() = default;
  // Offers the product to the basket (the quantity dialog, then the line).
  virtual Offer OfferToBasket(const OfferedProduct& p) = 0;
  // A line may have been added to the basket.
  virtual void BasketChanged() = 0;
};

// The screen's text fields; the codes are set only by the pickers.
struct PartSearchFields {
  std::string MakeName, MakeCode;    // EdtCMN, EdtCMC
  std::string GroupName, GroupCode;  // EdtCGN, EdtCGC
  std::string Model, Body;           // EdtModel, EdtBody
};

class CarPartSearch {
 public:
  // dm, seams and port must outlive the search.
  CarPartSearch(TDM& dm, const Seams& seams, CarPartSearchPort& port);
  CarPartSearch(const CarPartSearch&) = delete;
  CarPartSearch& operator=(const CarPartSearch&) = delete;

  PartSearchFields Fields;

  // A picker closed: the entry it chose becomes the code and the name;
  // nothing chosen keeps both.
  void MakePicked(const std::optional<CodeAndName>& chosen);
  void GroupPicked(const std::optional<CodeAndName>& chosen);

  enum class Outcome { Refused, ReadError, NoRecords, Records };
  // Enter in EdtModel (Model) or EdtBody (Body). An empty name first empties
  // its code (a typed name never sets one). A missing make, group or word is
  // refused with its message and nothing is sent. Otherwise the request goes
  // out: a read error shows its message; Records fills the window from the
  // first record. The rows on display change only with Records; in every case
  // the selection goes to row 0.
  Outcome Search(PartSearchKind kind);

  enum class AddOutcome { NoProduct, NotReady, ReadError, Cancelled, Added, NotAdded };
  // The selected row's product into the basket: an empty row or an entry
  // without product code are refused with their messages; the product is
  // looked up (its reply is kept apart from the list, which pages on as
  // before) and offered to the basket, which may refuse a duplicate or a
  // full basket: NotAdded.
  AddOutcome AddSelectedProduct();

  PagedList& List() { return list_; }
  const PagedList& List() const { return list_; }
  // The last search reply's count (-1 after a read error) and text.
  long long ListCount() const { return source_.ListCount(); }
  const std::string& ListReply() const { return source_.ListReply(); }

 private:
  TDM& dm_;
  const Seams& seams_;
  CarPartSearchPort& port_;
  ReplyRecordSource source_;
  PagedList list_{PagedList::WheelRule::WithinWindow};
};

}  // namespace tarvik
