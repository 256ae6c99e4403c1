#include "platform/ProgramArguments.h"

namespace tarvik {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + (argc > 0 ? argc : 0));
  if (args.empty()) args.emplace_back();
  return args;
}

}  // namespace tarvik
