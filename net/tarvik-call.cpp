// tarvik-call FUNCTION [NAME=VALUE ...]
// Sends one service command to TARVIK_SERVER (or the vendor's host) and
// prints the reply. DB_KEY and the command's fixed extra elements are given
// as NAME=VALUE like the rest; every other pair becomes one element of the
// caller's part, in the order given; "=TEXT" puts TEXT in unchanged (the
// order list's untagged condition). Exit 0 when RESULT_CODE is "1", 1 for any
// other reply, 2 for bad arguments. When the transfer fails, libcurl's own words
// for it go to standard error.
//
// No session is created (it would create user.ini next to the program); the
// request counter starts at 1 as in any run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"

namespace {

int Usage(const char* why) {
  if (why && *why) std::fprintf(stderr, "tarvik-call: %s\n", why);
  std::fprintf(stderr,
               "usage: tarvik-call FUNCTION [NAME=VALUE ...]\n"
               "  NAME is an element name (A-Z, 0-9, _); DB_KEY and the fixed extras\n"
               "  of FUNCTION are given the same way; =TEXT adds TEXT untagged.\n"
               "  The server is TARVIK_SERVER=host[:port].\n"
               "functions (fixed extras):\n");
  for (const tarvik::protocol::Command* c : tarvik::protocol::Commands()) {
    std::string extras = c->header == tarvik::protocol::Header::Bare ? "" : "DB_KEY";
    for (const char* e : c->extras) extras += std::string(extras.empty() ? "" : " ") + e;
    std::fprintf(stderr, "  %-24s %s\n", c->function, extras.c_str());
  }
  return 2;
}

bool ValidName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    return Usage(nullptr);
  }
  const tarvik::protocol::Command* cmd = tarvik::protocol::FindCommand(argv[1]);
  if (!cmd) return Usage((std::string("unknown function ") + argv[1]).c_str());

  std::string dbKey;
  std::vector<std::string> extras(cmd->extras.size());
  std::vector<bool> given(cmd->extras.size(), false);
  std::string elements;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto eq = arg.find('=');
    if (eq == 0) {
      elements += arg.substr(1);
      continue;
    }
    const std::string name = eq == std::string::npos ? arg : arg.substr(0, eq);
    if (eq == std::string::npos || !ValidName(name)) {
      return Usage(("not NAME=VALUE: " + arg).c_str());
    }
    const std::string value = arg.substr(eq + 1);
    if (name == "DB_KEY") {
      if (cmd->header == tarvik::protocol::Header::Bare) {
        return Usage((std::string(cmd->function) + " sends no DB_KEY").c_str());
      }
      dbKey = value;
      continue;
    }
    bool extra = false;
    for (std::size_t k = 0; k < cmd->extras.size(); ++k) {
      if (!given[k] && name == cmd->extras[k]) {
        extras[k] = value;
        given[k] = true;
        extra = true;
        break;
      }
    }
    if (!extra) elements += tarvik::MakeTag(name, value);
  }

  const tarvik::PostOutcome out =
      tarvik::SendServiceCommand(tarvik::ServiceLinkAtStart(), *cmd, dbKey, extras, elements);
  std::fwrite(out.reply.data(), 1, out.reply.size(), stdout);
  std::fputc('\n', stdout);
  // The reply only says which step failed; libcurl tells a refusal from a time-out.
  if (!out.transportError.empty()) std::fprintf(stderr, "tarvik-call: %s\n", out.transportError.c_str());
  return tarvik::ReplySucceeded(out.reply) ? 0 : 1;
}
