#pragma once
// The flat element syntax of every request and reply: <NAME>VALUE</NAME>,
// concatenated, nothing escaped.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarvik {

// "<name>value</name>"; value is inserted unchanged.
std::string MakeTag(const std::string& name, const std::string& value);

// "VALUE=<POST_DATA>" + text + "</POST_DATA>".
std::string WrapPostData(const std::string& text);

// Value of the first element called name in text: the text between the first
// "<name>" and the first "</name>" (case-sensitive). Empty when either is
// missing or the close starts before the end of the open.
std::string TagValue(const std::string& name, const std::string& text);

// True when the reply's RESULT_CODE is "1": the service did what was asked.
bool ReplySucceeded(const std::string& reply);

// Integer of a RESULT_RECORD_COUNT-like value: 0 when it is not a decimal number.
long long TagInt(const std::string& name, const std::string& text);

// Reads record after record of a reply in one walk over the text. Record(i)
// gives exactly TagValue("RDC_" + decimal i, reply) for every i, at a cost that
// does not grow with i. The reader keeps a reference: reply must outlive it and
// stay unchanged (a temporary is refused at compile time).
class ReplyReader {
 public:
  explicit ReplyReader(const std::string& reply, const std::string& prefix = "RDC_");
  explicit ReplyReader(const std::string&& reply, const std::string& prefix = "RDC_") = delete;
  std::string Record(std::size_t i) const;

 private:
  const std::string& text_;
  std::string prefix_;
  // First position of "<PREFIXn>" and of "</PREFIXn>" for each n written
  // without leading zeros.
  std::unordered_map<std::size_t, std::size_t> firstOpen_;
  std::unordered_map<std::size_t, std::size_t> firstClose_;
};

// Reads several fields of one record in one walk over it. Read gives each
// field exactly as TagValue(name, record) does: the text between the first
// "<NAME>" and the first "</NAME>", empty when either is missing or the close
// comes first. (Ten searches from the start would compare every "<" of the
// record ten times over.)
class RecordFields {
 public:
  explicit RecordFields(std::vector<std::string> names);
  const std::vector<std::string>& Names() const { return names_; }
  // values gets one entry per name, in the order of the names.
  void Read(const std::string& record, std::vector<std::string>& values) const;

 private:
  int IndexOf(const char* name, std::size_t length) const;
  std::vector<std::string> names_;
};

}  // namespace tarvik
