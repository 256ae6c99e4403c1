#include "tests/support/ScriptedPrompter.h"
