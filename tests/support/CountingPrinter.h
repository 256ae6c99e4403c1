#pragma once
// A Printer for tests: keeps every job's page and prints nothing. A planned
// outcome per job (ok when nothing is planned) lets a test make a page fail
// or go to a PDF file.
#include <deque>
#include <vector>

#include "platform/Printer.h"

namespace tarvik::test {

class CountingPrinter : public Printer {
 public:
  PrintOutcome PrintJob(const PrintPage& page) override {
    jobs.push_back(page);
    PrintOutcome o;
    o.ok = true;
    if (!outcomes.empty()) {
      o = outcomes.front();
      outcomes.pop_front();
    }
    return o;
  }

  std::vector<PrintPage> jobs;
  std::deque<PrintOutcome> outcomes;
};

}  // namespace tarvik::test
