#pragma once
// Checks of the service's request parsing on one text, shared by the fuzz
// targets. Each stops the run (FuzzCheck.h) when a property does not hold.
#include <string>
#include <vector>

#include "service/Wire.h"

namespace tarvik::fuzz {

// IsValidUtf8 agrees with the decoder: a text is valid exactly when decoding
// and encoding it again gives the same bytes.
void CheckUtf8(const std::string& text);

// ScanElements' result: names of capitals, digits and '_'; each element
// "<NAME>value</NAME>" stands in the text in order, its value free of its own
// closing tag; a refusal says why.
void CheckElements(const std::string& text, const std::vector<service::Element>& elements,
                   bool scanned, const std::string& error);

// The SAME/LIKE pairs, ORDERBY and WHERE_OPTION of the request, read with
// field maps whose SQL columns are spelt unlike any wire name: the SQL pieces
// must follow their grammar on both databases, hold only those columns and
// one '?' per bound value, and a LIKE key's '_' and '\' must be escaped.
void CheckConditions(const service::Request& request);

}  // namespace tarvik::fuzz
