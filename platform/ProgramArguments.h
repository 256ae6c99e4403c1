#pragma once
// The program's command line as UTF-8 texts, the program first; usable before
// the QApplication exists. On Windows it is read from the wide command line:
// main()'s argv holds it in the ANSI code page, which lacks characters a
// folder name may have. Elsewhere argv's bytes are the arguments.
#include <string>
#include <vector>

namespace tarvik {

// Never empty: without any argument the program is "" (or argv[0]).
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace tarvik
