#pragma once
// The log-in steps without the screen: supplier check, orderer check with the
// password compared on the client, the first-use password registration,
// user.ini, then the catalogue load. The screen (TFrmSecS) hands in the three
// field texts and implements LoginPort; tests call it directly.
#include <string>

namespace tarvik {

class TDM;
class LoadProgress;
struct Seams;

// What the steps need from the screen they run on.
class LoginPort {
 public:
  virtual ~LoginPort() = default;
  // A message box (through the Prompter). The screen becomes active again
  // when it closes, which refills its ID fields from the session.
  virtual void Message(const std::string& text) = 0;
  // Opens the password change modally; true when it closed with OK (it has
  // then stored the new password in C_SS).
  virtual bool RunPasswordChange() = 0;
  // The progress of the catalogue build (may be nullptr).
  virtual LoadProgress* Progress() = 0;
};

enum class LoginOutcome {
  Done,           // logged in and the catalogue load has run: close with OK
  Failed,         // a check failed; the screen stays open
  WrongPassword,  // failed, and the password field is to be emptied
};

class LoginFlow {
 public:
  // dm, seams and port must outlive the flow.
  LoginFlow(TDM& dm, const Seams& seams, LoginPort& port) : dm_(dm), seams_(seams), port_(port) {}

  // midField / cidField / password: the texts of EdtMID, EdtCID and MEdtS as
  // they stand. Every failure has shown its message before this returns.
  LoginOutcome Login(const std::string& midField, const std::string& cidField,
                     const std::string& password);

  // An ID as it is looked up: every "-" removed, then blanks at both ends.
  static std::string CleanId(const std::string& field);

 private:
  bool CheckSupplier(const std::string& supplierId);
  LoginOutcome CheckOrderer(const std::string& ordererId, const std::string& password);

  TDM& dm_;
  const Seams& seams_;
  LoginPort& port_;
};

// The message texts of the log-in.
extern const char* const kLoginReadError;
extern const char* const kUnknownSupplier;
extern const char* const kSupplierClosed;
extern const char* const kUnknownOrderer;
extern const char* const kWrongPassword;
// A supplier whose service keeps an older kind of database (M_DBTYPE not "1").
extern const char* const kUnsupportedSupplier;
// The welcome text for an orderer without a password.
std::string WelcomeText(const std::string& ordererName);

}  // namespace tarvik
