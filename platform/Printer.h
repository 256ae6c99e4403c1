#pragma once
// The printer: each page is one print job on the system's default printer.
// Where no printer is installed, each page becomes a PDF file in the user's
// documents folder instead.
#include <string>

#include "platform/PageDrawing.h"

namespace tarvik {

struct PrintOutcome {
  bool ok = false;
  std::string pdfFile;  // set when the page went to a PDF file instead of a printer
  std::string error;    // Korean, for the orderer, when !ok
};

class Printer {
 public:
  virtual ~Printer() = default;
  // Prints page as a print job of its own.
  virtual PrintOutcome PrintJob(const PrintPage& page) = 0;
};

Printer& CurrentPrinter();  // the system printer unless a test installed another
void SetPrinter(Printer* p);  // not owned; nullptr restores the system printer

// The folder the PDF files go to: the documents folder + "/Tarvik".
std::string PdfFolder();

}  // namespace tarvik
