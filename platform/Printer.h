#pragma once
// The printer: each page is one print job on the system's default printer.
// Where no printer is installed, the pages of one print become one PDF file
// in the user's documents folder instead.
#include <string>
#include <vector>

#include "platform/PageDrawing.h"

namespace tarvik {

struct PrintOutcome {
  bool ok = false;
  std::string pdfFile;  // set when the pages went to a PDF file instead of a printer (in the system's own form)
  std::string error;    // Korean, for the orderer, when !ok
};

class Printer {
 public:
  virtual ~Printer() = default;
  // Prints page as a print job of its own.
  virtual PrintOutcome PrintJob(const PrintPage& page) = 0;
  // Every page of one print, a job each, up to the first that fails; done
  // counts the pages printed. The PDF files written instead, if any, are in
  // pdfFile, one a line.
  virtual PrintOutcome PrintPages(const std::vector<PrintPage>& pages, int& done);
};

// The program's printer: the system's default printer (else the first
// installed one); without any, the pages of one print as one PDF file in
// PdfFolder().
class SystemPrinter : public Printer {
 public:
  PrintOutcome PrintJob(const PrintPage& page) override;
  PrintOutcome PrintPages(const std::vector<PrintPage>& pages, int& done) override;
};

// The folder the PDF files go to: the documents folder + "/Tarvik".
std::string PdfFolder();

}  // namespace tarvik
