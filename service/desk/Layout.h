#pragma once
// The frame every desk page shares (heading, the menu with its access keys,
// the key list at the foot) and the way values are shown.
#include <string>

#include "service/desk/Accounts.h"
#include "service/desk/Markup.h"

namespace tarvik::service::desk {

// Who is looking, and the CSRF token their forms carry.
struct Viewer {
  StaffAccount staff;
  std::string supplierName;
  std::string csrf;
};

// The menu entry a page belongs to.
enum class Section { kInbox, kSearch, kMessages, kStaff, kNone };

// A whole page: title, the menu (for a viewer), the main part. The desk's own
// style and script files are the only ones it loads.
std::string Document(const std::string& title, const Viewer* viewer, Section section,
                     const Markup& main, const char* bodyClass = "");

// The hidden field of a form that changes something.
Markup CsrfField(const std::string& csrf);

std::string ShownDate(const std::string& yymmdd);  // "24/01/31"; other text as it is
std::string ShownTime(const std::string& hhmm);    // "09:30"; other text as it is
std::string ShownStamp(const std::string& stamp);  // yymmddHHMM[SS] as date and time
std::string ShownMoney(long long amount);           // "12,000"
std::string StatusWord(const std::string& status);  // 미접수, 접수중, 접수, 작성중

// <a href="path">text</a> with an optional access key.
Markup Link(const std::string& path, const std::string& text, const char* accessKey = "");

}  // namespace tarvik::service::desk
