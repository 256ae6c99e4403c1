#pragma once
// A supplier's catalogue version (table CV_): raised in the same transaction
// by every write to the catalogue (products, prices, notes, notices), so the
// reply cache of every instance, keyed by it, sees a write at its next request.
#include <string>

#include "service/store/Database.h"

namespace tarvik::service {

// Raises the supplier's catalogue version; call inside the transaction that
// writes the catalogue.
bool RaiseCatalogueVersion(Connection& db, const std::string& supplier, std::string* error);

}  // namespace tarvik::service
