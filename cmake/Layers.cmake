# The one-way stack of the client's libraries (TARVIK_LAYERS, lowest row
# first, set in the top-level CMakeLists.txt). A library may link and include
# only libraries of lower rows: never one of its own row, never one above.
#
# The same build step reads the client's sources for narrow file calls
# (CheckFileCalls.cmake): on Windows they miss every path with a character
# outside the ANSI code page.
#
# Links are checked here, when CMake configures. Includes are checked by a
# build step (CheckLayers.cmake) that runs again whenever a source changes,
# so an upward #include fails the normal build.

function(tarvik_check_layers)
  set(map "${CMAKE_BINARY_DIR}/tarvik_layers.cmake")
  set(content "set(LAYER_ROOT \"${PROJECT_SOURCE_DIR}\")\nset(LAYER_LIBS)\n")
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
      get_target_property(dir ${lib} SOURCE_DIR)
      get_target_property(srcs ${lib} SOURCES)
      set(files)
      foreach(src IN LISTS srcs)
        get_filename_component(abs "${src}" ABSOLUTE BASE_DIR "${dir}")
        if(abs MATCHES "\\.(h|cpp)$" AND abs MATCHES "^${PROJECT_SOURCE_DIR}/")
          list(APPEND files "${abs}")
        endif()
      endforeach()
      list(APPEND allSources ${files})
      string(APPEND content "list(APPEND LAYER_LIBS ${lib})\nset(LAYER_RANK_${lib} ${rank_${lib}})\n"
                            "set(LAYER_SOURCES_${lib} \"${files}\")\n")
    endforeach()
  endforeach()
  if(problems)
    string(REPLACE ";" "\n  " text "${problems}")
    message(FATAL_ERROR "Libraries link upwards in the stack:\n  ${text}")
  endif()
  file(WRITE "${map}" "${content}")
  set(stamp "${CMAKE_BINARY_DIR}/tarvik_layers.stamp")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DFOLDERS=${TARVIK_CLIENT_FOLDERS}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckFileCalls.cmake
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${allSources} "${map}" ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
            ${PROJECT_SOURCE_DIR}/cmake/CheckFileCalls.cmake
    COMMENT "Checking that no library includes a header of a library above it, and no narrow file call"
    VERBATIM)
  add_custom_target(tarvik_layer_check ALL DEPENDS "${stamp}")
endfunction()
