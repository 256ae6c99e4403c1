# The one-way stack of the libraries (TARVIK_LAYERS, lowest row first, set in
# the top-level CMakeLists.txt). A library may link and include only
# libraries of lower rows: never one of its own row, never one above. The
# programs (TARVIK_PROGRAMS) stand on top: their own sources may include only
# the libraries they link. Every .h and .cpp file in the folders of these
# sources must belong to one of them, so that no header escapes the check.
#
# The same build step reads the client's sources for narrow file calls
# (CheckFileCalls.cmake): on Windows they miss every path with a character
# outside the ANSI code page.
#
# Links are checked here, when CMake configures. Includes are checked by a
# build step (CheckLayers.cmake) that runs again whenever a source changes,
# so an upward #include fails the normal build.

# The .h and .cpp files of target below the project's root, absolute.
function(tarvik_layer_sources target out)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(srcs ${target} SOURCES)
  set(files)
  foreach(src IN LISTS srcs)
    get_filename_component(abs "${src}" ABSOLUTE BASE_DIR "${dir}")
    if(abs MATCHES "\\.(h|cpp)$" AND abs MATCHES "^${PROJECT_SOURCE_DIR}/")
      list(APPEND files "${abs}")
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The tarvik_ libraries target links, directly or through others.
function(tarvik_layer_reach target out)
  set(reach)
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue t)
    get_target_property(links ${t} LINK_LIBRARIES)
    foreach(dep IN LISTS links)
      if(dep MATCHES "^tarvik_" AND TARGET ${dep} AND NOT dep IN_LIST reach)
        list(APPEND reach ${dep})
        list(APPEND queue ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out} ${reach} PARENT_SCOPE)
endfunction()

function(tarvik_check_layers)
  set(map "${CMAKE_BINARY_DIR}/tarvik_layers.cmake")
  set(other Windows)
  if(TARVIK_OS STREQUAL "Windows")
    set(other Posix)
  endif()
  set(content "set(LAYER_ROOT \"${PROJECT_SOURCE_DIR}\")\nset(LAYER_OTHER_OS ${other})\nset(LAYER_LIBS)\nset(LAYER_PROGRAMS)\n")
  set(allSources)
  set(rank 0)
  set(problems)
  foreach(row IN LISTS TARVIK_LAYERS)
    string(REPLACE " " ";" libs "${row}")
    foreach(lib IN LISTS libs)
      set(rank_${lib} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
  endforeach()
  foreach(row IN LISTS TARVIK_LAYERS)
    string(REPLACE " " ";" libs "${row}")
    foreach(lib IN LISTS libs)
      if(NOT TARGET ${lib})
        message(FATAL_ERROR "TARVIK_LAYERS names ${lib}, which is no target")
      endif()
      get_target_property(links ${lib} LINK_LIBRARIES)
      foreach(dep IN LISTS links)
        if(dep MATCHES "^tarvik_")
          if(NOT DEFINED rank_${dep})
            list(APPEND problems "${lib} links ${dep}, which has no row in TARVIK_LAYERS")
          elseif(NOT rank_${dep} LESS rank_${lib})
            list(APPEND problems "${lib} (row ${rank_${lib}}) links ${dep} (row ${rank_${dep}})")
          endif()
        endif()
      endforeach()
      tarvik_layer_sources(${lib} files)
      list(APPEND allSources ${files})
      string(APPEND content "list(APPEND LAYER_LIBS ${lib})\nset(LAYER_RANK_${lib} ${rank_${lib}})\n"
                            "set(LAYER_SOURCES_${lib} \"${files}\")\n")
    endforeach()
  endforeach()
  foreach(prog IN LISTS TARVIK_PROGRAMS)
    if(NOT TARGET ${prog})
      message(FATAL_ERROR "TARVIK_PROGRAMS names ${prog}, which is no target")
    endif()
    tarvik_layer_sources(${prog} files)
    tarvik_layer_reach(${prog} reach)
    foreach(dep IN LISTS reach)
      if(NOT DEFINED rank_${dep})
        list(APPEND problems "${prog} links ${dep}, which has no row in TARVIK_LAYERS")
      endif()
    endforeach()
    list(APPEND allSources ${files})
    string(APPEND content "list(APPEND LAYER_PROGRAMS ${prog})\nset(PROGRAM_REACH_${prog} \"${reach}\")\n"
                          "set(PROGRAM_SOURCES_${prog} \"${files}\")\n")
  endforeach()
  if(problems)
    string(REPLACE ";" "\n  " text "${problems}")
    message(FATAL_ERROR "Libraries link upwards in the stack:\n  ${text}")
  endif()
  file(WRITE "${map}" "${content}")
  # A file added to one of these folders configures anew, so the check sees it.
  set(folders)
  foreach(file IN LISTS allSources)
    get_filename_component(folder "${file}" DIRECTORY)
    list(APPEND folders "${folder}/*.h" "${folder}/*.cpp")
  endforeach()
  list(REMOVE_DUPLICATES folders)
  file(GLOB watched CONFIGURE_DEPENDS ${folders})
  set(stamp "${CMAKE_BINARY_DIR}/tarvik_layers.stamp")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DFOLDERS=${TARVIK_CLIENT_FOLDERS}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckFileCalls.cmake
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${allSources} "${map}" ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
            ${PROJECT_SOURCE_DIR}/cmake/CheckFileCalls.cmake
    COMMENT "Checking that no library includes a header of a library above it, nor a program one it does not link, and no narrow file call"
    VERBATIM)
  add_custom_target(tarvik_layer_check ALL DEPENDS "${stamp}")
endfunction()
