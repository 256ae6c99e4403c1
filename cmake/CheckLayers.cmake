# cmake -DMAP=<file> -P CheckLayers.cmake
# MAP sets LAYER_ROOT, LAYER_LIBS and, per library, LAYER_RANK_<lib> and
# LAYER_SOURCES_<lib> (absolute paths); LAYER_PROGRAMS and, per program,
# PROGRAM_SOURCES_<prog> and PROGRAM_REACH_<prog> (the libraries it links,
# directly or through others); LAYER_OTHER_OS, the suffix of the files
# another system builds ("Windows" or "Posix"; may be empty). Fails when
#  - a .h or .cpp file lies in a folder of these sources but belongs to no
#    library or program (its includes would go unchecked, and so would the
#    includes of it);
#  - a library's source includes ("folder/File.h", relative to LAYER_ROOT) a
#    header of another library whose row is not below its own;
#  - a program's own source includes a header of a library it does not link.
cmake_policy(VERSION 3.25)
include("${MAP}")
set(folders)
foreach(lib IN LISTS LAYER_LIBS)
  foreach(file IN LISTS LAYER_SOURCES_${lib})
    set(owner_${file} ${lib})
    get_filename_component(folder "${file}" DIRECTORY)
    list(APPEND folders "${folder}")
  endforeach()
endforeach()
foreach(prog IN LISTS LAYER_PROGRAMS)
  foreach(file IN LISTS PROGRAM_SOURCES_${prog})
    set(owner_${file} ${prog})
    get_filename_component(folder "${file}" DIRECTORY)
    list(APPEND folders "${folder}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES folders)

set(problems)
foreach(folder IN LISTS folders)
  file(GLOB present "${folder}/*.h" "${folder}/*.cpp")
  foreach(file IN LISTS present)
    if(NOT DEFINED owner_${file} AND NOT (LAYER_OTHER_OS AND file MATCHES "${LAYER_OTHER_OS}\\.(h|cpp)$"))
      file(RELATIVE_PATH where "${LAYER_ROOT}" "${file}")
      list(APPEND problems "${where} is in no library's or program's sources")
    endif()
  endforeach()
endforeach()

# The headers a file includes by their path below LAYER_ROOT, with their owners.
macro(owned_includes file)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  set(included)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    if(DEFINED owner_${LAYER_ROOT}/${header})
      list(APPEND included "${header}")
    endif()
  endforeach()
  file(RELATIVE_PATH where "${LAYER_ROOT}" "${file}")
endmacro()

foreach(lib IN LISTS LAYER_LIBS)
  foreach(file IN LISTS LAYER_SOURCES_${lib})
    owned_includes("${file}")
    foreach(header IN LISTS included)
      set(other ${owner_${LAYER_ROOT}/${header}})
      if(NOT other STREQUAL lib AND NOT LAYER_RANK_${other} LESS LAYER_RANK_${lib})
        list(APPEND problems
             "${where} (${lib}, row ${LAYER_RANK_${lib}}) includes ${header} of ${other} (row ${LAYER_RANK_${other}})")
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(prog IN LISTS LAYER_PROGRAMS)
  foreach(file IN LISTS PROGRAM_SOURCES_${prog})
    owned_includes("${file}")
    foreach(header IN LISTS included)
      set(other ${owner_${LAYER_ROOT}/${header}})
      if(NOT other STREQUAL prog AND NOT other IN_LIST PROGRAM_REACH_${prog})
        list(APPEND problems "${where} (program ${prog}) includes ${header} of ${other}, which it does not link")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "Includes that go up the stack of libraries, or escape its check:\n  ${text}")
endif()
