# cmake -DROOT=<dir> -DFOLDERS=a,b -P CheckFileCalls.cmake
# Fails when a .cpp or .h below ROOT/<folder> names a file through a narrow
# call: the C and C++ file calls, std::filesystem and the ANSI ("...A", or
# the bare macro that means it) Windows calls. On Windows these read a UTF-8
# path in the ANSI code page (949 on a Korean PC), so a folder named in
# Korean is not found. Files go through QFile, QSaveFile, QDir and QFileInfo,
# or the wide ("...W") Windows calls. ...Posix.cpp files are exempt: there a
# path's bytes are its name.
set(call "(^|[^A-Za-z0-9_.>:])")
set(patterns
  "${call}(std::)?(fopen|freopen|fstream|ifstream|ofstream|opendir|realpath|unlink|rmdir|_mkdir|_wstat)[ \t]*[(<]"
  "std::(i|o)?fstream|std::filesystem|#include[ \t]*<(fstream|filesystem)>"
  "${call}(std::|::)?(rename|remove|stat|_stat|_stat64|open|mkdir|access)[ \t]*\\("
  "(CreateFile|CopyFile|MoveFile|MoveFileEx|DeleteFile|FindFirstFile|GetFileAttributes|GetModuleFileName|ShellExecute|ShellExecuteEx|LoadLibrary|CreateDirectory|RemoveDirectory|GetTempPath|SHGetPathFromIDList|GetFullPathName|CreateProcess|PathFileExists|GetPrivateProfileString|WritePrivateProfileString)A?[ \t]*\\(")
string(REPLACE "," ";" FOLDERS "${FOLDERS}")
set(problems)
foreach(folder IN LISTS FOLDERS)
  file(GLOB_RECURSE sources "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
  foreach(source IN LISTS sources)
    if(source MATCHES "Posix\\.cpp$")
      continue()
    endif()
    # One list element a line: the characters CMake's lists treat specially go.
    file(READ "${source}" text)
    string(REGEX REPLACE "[][;\\]" " " text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(n 0)
    foreach(line IN LISTS lines)
      math(EXPR n "${n} + 1")
      if(line MATCHES "^[ \t]*//")
        continue()
      endif()
      foreach(p IN LISTS patterns)
        if(line MATCHES "${p}")
          file(RELATIVE_PATH where "${ROOT}" "${source}")
          string(STRIP "${line}" shown)
          list(APPEND problems "${where}:${n}: ${shown}")
          break()
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "Narrow file calls in the client (use QFile/QSaveFile/QDir or a wide call):\n  ${text}")
endif()
