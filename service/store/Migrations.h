#pragma once
// The schema grows by numbered steps. Step 1 is the schema of the releases
// before the steps were counted: its statements make only what is missing, so
// a database of such a release takes it without a change to its rows. Every
// later step runs once, in order; table SV_ holds one row per step applied.
#include <cstddef>
#include <string>

#include "service/store/Database.h"

namespace tarvik::service {

// The newest step this program knows.
int LatestSchemaVersion();

// The newest step the database records; 0 when it records none (a new
// database, or one of a release before the steps) or cannot be asked.
int RecordedSchemaVersion(Connection& db);

// Inside a writing transaction that holds the schema lock: applies the steps
// after the recorded one (step 1's statements are `base`) and records each.
bool ApplyMigrations(Connection& db, const char* const* base, std::size_t baseCount,
                     std::string* error);

}  // namespace tarvik::service
