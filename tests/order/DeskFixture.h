#pragma once
// An order desk for S00001 and C00001 (한빛카센터); its service a loopback server recording requests.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>
#include <vector>

#include "protocol/CommandTable.h"
#include "wire/MessageFormat.h"
#include "order/OrderDesk.h"
#include "platform/QtText.h"
#include "session/Session.h"
#include "tests/net/WireParts.h"
#include "tests/order/OrderTexts.h"
#include "tests/support/Environment.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSeams.h"

namespace tarvik::test {

// Records what the desk asks of the screen.
struct RecordingPort : OrderDeskPort {
  std::string PickFromOrderList(bool samples) override {
    calls.push_back(samples ? "pick samples" : "pick orders");
    return pick;
  }
  void RedrawBasket(bool cleared) override { calls.push_back(cleared ? "redraw cleared" : "redraw"); }
  std::string PrintTitle() const override { return "title"; }
  void ShowNote(const std::string& note) override { calls.push_back("note " + note); }
  std::string pick;  // what the order list hands back
  std::vector<std::string> calls;
};

// A service reply: RESULT_CODE and what follows it, gzipped.
inline std::string Reply(const std::string& code, const std::string& extra = std::string()) {
  return GzipReply(MakeTag("RESULT_CODE", code) + extra);
}

// Two catalogue lines and one typed in by hand; row 0 selected.
inline void AddThreeLines(OrderDraft& d) {
  d.AddLine("P00002", "피스톤 링", "EA", "3", "");
  d.AddLine("P00010", "캠 샤프트", "SET", "1,200", "급함  ");
  d.AddDirectLine("수동 전구", "EA", "10", "");
  d.Select(0);
}

// text with its first `from` replaced by `to`; a `from` not found fails the test.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// An order list reply's record, and the reply of such records.
inline std::string ListRecord(const std::string& code, const std::string& sd, const std::string& at,
                              const std::string& dd, const std::string& note, const std::string& status = "A") {
  return MakeTag("OH_SD", sd) + MakeTag("OH_AT", at) + MakeTag("OH_MT", "") + MakeTag("OH_IOG", status) +
         MakeTag("OH_DD", dd) + MakeTag("OH_NOTE", note) + MakeTag("OH_CODE", code);
}
inline std::string ListText(const std::vector<std::string>& records) {
  std::string s = MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(records.size()));
  for (std::size_t i = 0; i < records.size(); ++i) s += MakeTag("RDC_" + std::to_string(i), records[i]);
  return s;
}

class DeskTest : public ::testing::Test {
 protected:
  DeskTest() : dm(S(dir.path()) + "/"), desk(dm, seams, port) {
    dm.MasterInfo.M_CODE = "S00001";
    dm.CustomerInfo.C_CODE = "C00001";
    dm.CustomerInfo.C_NAME = "한빛카센터";
  }

  std::string Folder() const { return S(dir.path()) + "/baskets"; }
  // The decoded text of request i and its COMMAND (a code of protocol/CommandTable.h).
  std::string Sent(std::size_t i) const { return SplitRequest(server.Requests().at(i)).text; }
  std::string Command(std::size_t i) const { return TagValue("COMMAND", Sent(i)); }
  std::size_t Requests() const { return server.Requests().size(); }

  LoopbackServer server;
  QTemporaryDir dir;
  TDM dm;
  RecordingPort port;
  ScriptedPrompter prompter;
  Seams seams = TestSeams(prompter, server.Address());
  OrderDesk desk;
};

}  // namespace tarvik::test
