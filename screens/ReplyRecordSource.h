#pragma once
// The records RDC_0, RDC_1 ... of a list reply as the rows of a PagedList:
// row n holds the values of the given fields of record RDC_n, read through the
// one-pass readers of the message format. Every row carries its position n;
// a row without a record is empty. The source keeps the reply (ListReply) and
// its count (ListCount).
#include <memory>
#include <string>
#include <vector>

#include "wire/MessageFormat.h"
#include "screens/PagedList.h"

namespace tarvik {

class ReplyRecordSource : public RowSource {
 public:
  // fields: the record's fields, one per column, in column order.
  explicit ReplyRecordSource(std::vector<std::string> fields);

  enum class Load { Records, NoRecords, ReadError };
  // Takes the reply of a list request. RESULT_CODE other than "1": ReadError,
  // the count becomes -1 and the reply is dropped. Otherwise the count is
  // RESULT_RECORD_COUNT (0 when that is not a number); 0: NoRecords and the
  // reply is dropped; else Records. The caller shows its own message and
  // fills its window.
  Load TakeReply(std::string reply);

  const std::string& ListReply() const { return reply_; }
  long long ListCount() const { return count_; }

  long long Count() const override { return count_; }
  PagedRow Row(long long n) const override;

 private:
  RecordFields fields_;
  std::string reply_;
  long long count_ = 0;
  std::unique_ptr<ReplyReader> reader_;  // over reply_
};

}  // namespace tarvik
