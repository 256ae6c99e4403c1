#include "platform/Printer.h"

#include "platform/BusyCursor.h"

#include <algorithm>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
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

// Whether the file at path is size bytes long and ends as a whole PDF does.
bool WholePdf(const QString& path, qint64 size) {
  QFile f(path);
  if (size <= 0 || !f.open(QIODevice::ReadOnly) || f.size() != size) return false;
  f.seek(std::max<qint64>(0, size - 64));
  return f.readAll().trimmed().endsWith("%%EOF");
}

// A file name in folder that holds the date and time and is not taken yet
// (two prints in one second must not overwrite each other).
QString FreePdfName(const QString& folder) {
  const QString stem = folder + QStringLiteral("/발주리스트_") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  QString path = stem + QStringLiteral(".pdf");
  for (int n = 2; QFileInfo::exists(path); ++n) path = stem + QStringLiteral(" (%1).pdf").arg(n);
  return path;
}

// All pages into one PDF file, a page each. The PDF writer does not report a
// write that failed (a full disk left a cut file it called saved): the file
// is written whole through QSaveFile and read back before it counts.
PrintOutcome ToPdf(const std::vector<PrintPage>& pages) {
  const QString folder = Q(PdfFolder());
  if (!QDir().mkpath(folder)) return Failed("PDF 파일을 저장할 폴더를 만들 수 없습니다.\r" + S(QDir::toNativeSeparators(folder)));
  const QString path = FreePdfName(folder);
  QSaveFile file(path);
  bool drawn = file.open(QIODevice::WriteOnly);
  if (drawn) {
    QPdfWriter pdf(&file);
    pdf.setResolution(1200);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                  QPageLayout::Millimeter));
    if (!pages.empty()) pdf.setTitle(Q(pages.front().jobName));
    pdf.setCreator(QStringLiteral("Tarvik"));
    QPainter painter;
    drawn = painter.begin(&pdf);
    const double dpi = pdf.resolution();
    for (std::size_t i = 0; drawn && i < pages.size(); ++i) {
      if (i > 0) drawn = pdf.newPage();
      if (drawn) DrawPage(painter, pages[i], PageMapping(dpi, dpi));
    }
    drawn = painter.end() && drawn;
  }
  const qint64 size = file.size();
  if (!drawn || file.error() != QFileDevice::NoError || !file.commit() || !WholePdf(path, size)) {
    file.cancelWriting();
    QFile::remove(path);
    return Failed("PDF 파일을 저장하지 못했습니다.\r" + S(QDir::toNativeSeparators(path)) + "\r\r디스크 공간과 폴더의 쓰기 권한을 확인하십시요.");
  }
  PrintOutcome o;
  o.ok = true;
  o.pdfFile = S(QDir::toNativeSeparators(path));  // shown to the clerk: in the system's own form
  return o;
}

// The printer to use: the default one, or else the first installed; null
// when there is none.
QPrinterInfo ChosenPrinter() {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
    if (!all.isEmpty()) info = all.first();
  }
  return info;
}

}  // namespace

PrintOutcome Printer::PrintPages(const std::vector<PrintPage>& pages, int& done) {
  done = 0;
  PrintOutcome all;
  all.ok = true;
  for (const PrintPage& page : pages) {
    const PrintOutcome r = PrintJob(page);
    if (!r.ok) {
      all.ok = false;
      all.error = r.error;
      break;
    }
    ++done;
    if (!r.pdfFile.empty()) all.pdfFile += (all.pdfFile.empty() ? "" : "\r") + r.pdfFile;
  }
  return all;
}

PrintOutcome SystemPrinter::PrintJob(const PrintPage& page) {
  BusyCursor wait;
  const QPrinterInfo info = ChosenPrinter();
  if (info.isNull()) return ToPdf({page});
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(Q(page.jobName));
  printer.setCreator(QStringLiteral("Tarvik"));
  if (!DrawOn(printer, page)) return Failed("프린터(" + S(info.printerName()) + ")에 인쇄하지 못했습니다.");
  PrintOutcome o;
  o.ok = true;
  return o;
}

PrintOutcome SystemPrinter::PrintPages(const std::vector<PrintPage>& pages, int& done) {
  if (!ChosenPrinter().isNull()) return Printer::PrintPages(pages, done);
  BusyCursor wait;
  PrintOutcome o = ToPdf(pages);
  done = o.ok ? static_cast<int>(pages.size()) : 0;
  return o;
}

std::string PdfFolder() {
  return S(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Tarvik"));
}

}  // namespace tarvik
