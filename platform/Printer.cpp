#include "platform/Printer.h"

#include "platform/BusyCursor.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "platform/QtText.h"

namespace tarvik {

namespace {

PrintOutcome Failed(const std::string& error) {
  PrintOutcome o;
  o.error = error;
  return o;
}

// Draws the page on printer; false when the device refused or reported an error.
bool DrawOn(QPrinter& printer, const PrintPage& page) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const double dpi = printer.resolution();
  DrawPage(painter, page, PageMapping(dpi, dpi));
  return painter.end() && printer.printerState() != QPrinter::Error;
}

// A file name in folder that holds the date, time and page number and is not
// taken yet (two prints in one second must not overwrite each other).
QString FreePdfName(const QString& folder, int pageNumber) {
  const QString stem = folder + QStringLiteral("/발주리스트_") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")) +
                       QStringLiteral("_") + QString::number(pageNumber);
  QString path = stem + QStringLiteral(".pdf");
  for (int n = 2; QFileInfo::exists(path); ++n) path = stem + QStringLiteral(" (%1).pdf").arg(n);
  return path;
}

PrintOutcome ToPdf(const PrintPage& page) {
  const QString folder = Q(PdfFolder());
  if (!QDir().mkpath(folder)) return Failed("PDF 파일을 저장할 폴더를 만들 수 없습니다.\r" + S(folder));
  const QString path = FreePdfName(folder, page.number);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
  printer.setDocName(Q(page.jobName));
  printer.setCreator(QStringLiteral("Tarvik"));
  if (!DrawOn(printer, page)) {
    QFile::remove(path);
    return Failed("PDF 파일을 만들 수 없습니다.\r" + S(path));
  }
  PrintOutcome o;
  o.ok = true;
  o.pdfFile = S(path);
  return o;
}

class SystemPrinter : public Printer {
 public:
  PrintOutcome PrintJob(const PrintPage& page) override {
    BusyCursor wait;
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
      // Installed printers but none chosen as the default: the first one.
      const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
      if (!all.isEmpty()) info = all.first();
    }
    if (info.isNull()) return ToPdf(page);
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(Q(page.jobName));
    printer.setCreator(QStringLiteral("Tarvik"));
    if (!DrawOn(printer, page))
      return Failed("프린터(" + S(info.printerName()) + ")에 인쇄하지 못했습니다.");
    PrintOutcome o;
    o.ok = true;
    return o;
  }
};

SystemPrinter g_system;
Printer* g_current = nullptr;

}  // namespace

Printer& CurrentPrinter() { return g_current ? *g_current : g_system; }
void SetPrinter(Printer* p) { g_current = p; }

std::string PdfFolder() {
  return S(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Tarvik"));
}

}  // namespace tarvik
