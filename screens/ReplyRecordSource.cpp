#include "screens/ReplyRecordSource.h"

namespace tarvik {

ReplyRecordSource::ReplyRecordSource(std::vector<std::string> fields) : fields_(std::move(fields)) {}

ReplyRecordSource::Load ReplyRecordSource::TakeReply(std::string reply) {
  reader_.reset();
  reply_ = std::move(reply);
  Load result = Load::Records;
  if (!ReplySucceeded(reply_)) {
    count_ = -1;
    result = Load::ReadError;
  } else {
    count_ = TagInt("RESULT_RECORD_COUNT", reply_);
    if (count_ == 0) result = Load::NoRecords;
  }
  if (result != Load::Records) reply_.clear();
  reader_ = std::make_unique<ReplyReader>(reply_);
  return result;
}

PagedRow ReplyRecordSource::Row(long long n) const {
  PagedRow row;
  row.position = n;
  if (!reader_ || n < 0) return row;
  const std::string record = reader_->Record(static_cast<std::size_t>(n));
  row.empty = record.empty();
  if (!row.empty) fields_.Read(record, row.cells);
  return row;
}

}  // namespace tarvik
