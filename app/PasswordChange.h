#pragma once
// The rules of the password registration (TFrmSecModi) without the dialog.
#include <string>

namespace tarvik {

class TDM;
struct Seams;

extern const char* const kPasswordMismatch;
extern const char* const kPasswordTooShort;
extern const char* const kPasswordStoreError;

class PasswordChange {
 public:
  // dm and seams must outlive the change.
  PasswordChange(TDM& dm, const Seams& seams) : dm_(dm), seams_(seams) {}
  // "등록": both texts have their blanks at both ends removed; an empty one
  // does nothing; then the mismatch check, the length check (4 or more) and
  // the request (RequestCustomerPassword with M_CODE, C_CODE and C_SS), each
  // failure with its message. True when the service stored the password: C_SS
  // of the session holds it and the dialog closes with OK.
  bool Register(const std::string& newField, const std::string& againField);

 private:
  TDM& dm_;
  const Seams& seams_;
};

}  // namespace tarvik
