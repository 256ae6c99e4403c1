#pragma once
// The supplier side's commands on the database, and publishing an update.
// dbPath is what --db names (a SQLite file or a postgresql:// URL). Each
// returns a process exit code (0 success, 1 failure, 2 usage) and writes
// its output to out, its errors to err.
#include <ostream>
#include <string>
#include <vector>

namespace tarvik::service {

// Writes the demo data set into dbPath (which must hold no supplier yet).
int AdminDemo(const std::string& dbPath, std::ostream& out, std::ostream& err);
// Adds SHOP1's earlier orders and samples at DEMO (WriteDemoOrders) to a
// database that holds the demo data set.
int AdminDemoOrders(const std::string& dbPath, std::ostream& out, std::ostream& err);
// One line per order: OH_CODE M_CODE OH_CC OH_SD OH_AT OH_MT OH_IOG OH_SG lines OH_NOTE (tabs).
int AdminOrders(const std::string& dbPath, std::ostream& out, std::ostream& err);
// Sets the status of an order to "I" (being received) or "O" (received).
int AdminMark(const std::string& dbPath, const std::string& code, const std::string& status,
              std::ostream& out, std::ostream& err);
// Clears an orderer's password, so that the orderer registers a new one
// (RequestCustomerPassword) at its next log-in.
int AdminPasswordReset(const std::string& dbPath, const std::string& supplier,
                       const std::string& orderer, std::ostream& out, std::ostream& err);
// One line per supplier message: OA_CODE OA_SC OA_CC OA_IOG OA_STATUS OA_WDATE OA_WTIME OA_MSG
// (tabs; line breaks inside the message shown as "\n").
int AdminMessages(const std::string& dbPath, std::ostream& out, std::ostream& err);
// Replaces the notices (GM_GC "999999") of a supplier with the lines of a UTF-8 file.
int AdminNoticeSet(const std::string& dbPath, const std::string& supplier,
                   const std::string& file, std::ostream& out, std::ostream& err);
// Adds or updates products from the CSV file, and removes the products the
// CSV removeFile names (ParseCodeList), with the orderers' prices of them;
// either file may be empty. One transaction: a refused file changes nothing.
int AdminImportCatalogue(const std::string& dbPath, const std::string& supplier,
                         const std::string& file, const std::string& removeFile, std::ostream& out,
                         std::ostream& err);
// Copies a SQLite database to the new file `to` while the service may be
// serving (SQLite's online backup API: the database of one moment), checks
// the copy (integrity_check) and says how many orders it holds. A failed
// backup leaves no file. PostgreSQL: usage error, pointing to pg_dump.
int AdminBackup(const std::string& dbPath, const std::string& to, std::ostream& out,
                std::ostream& err);
// Checks the backup `from` and copies it over dbPath (created when missing) in
// one transaction; meant for a stopped service, whose newer orders it drops.
int AdminRestore(const std::string& from, const std::string& dbPath, std::ostream& out,
                 std::ostream& err);

// `publish`: writes the program, modules and images and the manifest
// tkclienti.ini as a new release of the update folder (commands/UpdateFiles.h)
// and makes it the current one at once.
int AdminPublish(const std::string& updateDir, const std::string& program,
                 const std::vector<std::string>& modules, const std::vector<std::string>& images,
                 const std::string& message, std::ostream& out, std::ostream& err);

// The whole file at path into data (bytes as they are); false when it cannot
// be read.
bool ReadWholeFile(const std::string& path, std::string& data);
}  // namespace tarvik::service
