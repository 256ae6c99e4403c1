#pragma once
// What the desk reads of a request (form fields, the query, cookies) and the
// replies it writes. Every reply carries a Content-Security-Policy that lets
// only the desk's own script and style files run: no inline script, no
// inline style, no frames, forms only to the desk itself.
#include <map>
#include <string>

#include "service/requests/HttpFraming.h"

namespace tarvik::service::desk {

// Fields of an application/x-www-form-urlencoded text (a query or a posted
// form): the first value of each name, '+' read as a blank.
using Params = std::map<std::string, std::string>;
Params ParseForm(const std::string& encoded);
std::string Param(const Params& params, const std::string& name);

// The value of cookie `name` in a Cookie header; empty when there is none.
std::string CookieValue(const std::string& header, const std::string& name);

// A Set-Cookie value: HttpOnly, SameSite=Strict, Path=/, Secure when the desk
// is reached through TLS; an empty value removes the cookie.
std::string CookieHeader(const std::string& name, const std::string& value, bool secure);

// An HTML page (UTF-8), not to be cached: it holds the business's orders.
HttpReply PageReply(int status, const std::string& html);
HttpReply TextReply(int status, const std::string& text);
// 303 See Other to a path of the desk.
HttpReply Redirect(const std::string& path);
// A file of the desk's own (script, style); cacheable for a short while.
HttpReply AssetReply(const char* contentType, const std::string& body);

// The query string for a path: "?a=1&b=2" with the values percent-encoded,
// fields with empty values left out; empty when none is left.
std::string QueryString(const Params& params);

}  // namespace tarvik::service::desk
