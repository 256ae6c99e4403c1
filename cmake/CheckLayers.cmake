# cmake -DMAP=<file> -P CheckLayers.cmake
# MAP sets LAYER_ROOT, LAYER_LIBS and, per library, LAYER_RANK_<lib> and
# LAYER_SOURCES_<lib> (absolute paths). Fails when a source includes
# ("folder/File.h", relative to LAYER_ROOT) a header of another library whose
# row is not below its own.
include("${MAP}")
foreach(lib IN LISTS LAYER_LIBS)
  foreach(file IN LISTS LAYER_SOURCES_${lib})
    set(owner_${file} ${lib})
  endforeach()
endforeach()
set(problems)
foreach(lib IN LISTS LAYER_LIBS)
  foreach(file IN LISTS LAYER_SOURCES_${lib})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
      set(path "${LAYER_ROOT}/${header}")
      if(DEFINED owner_${path})
        set(other ${owner_${path}})
        if(NOT other STREQUAL lib AND NOT LAYER_RANK_${other} LESS LAYER_RANK_${lib})
          file(RELATIVE_PATH where "${LAYER_ROOT}" "${file}")
          list(APPEND problems
               "${where} (${lib}, row ${LAYER_RANK_${lib}}) includes ${header} of ${other} (row ${LAYER_RANK_${other}})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "Includes that go up the stack of libraries:\n  ${text}")
endif()
