#include "service/store/CatalogueVersion.h"

namespace tarvik::service {

bool RaiseCatalogueVersion(Connection& db, const std::string& supplier, std::string* error) {
  return db.Exec("INSERT INTO CV_ (M_CODE, CV_VERSION) VALUES (?, 1) ON CONFLICT (M_CODE)"
                 " DO UPDATE SET CV_VERSION = CV_.CV_VERSION + 1",
                 {supplier}, error);
}

}  // namespace tarvik::service
