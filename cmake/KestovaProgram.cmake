# kestova_room(NAME SOURCES... USES ROOMS... [NO_WIDGETS]): the static
# library of one room, which the rooms above include by bare file names. A
# room with NO_WIDGETS has none of Qt's widget headers, not even parsed ahead.
# Qt's headers that nearly every file includes, parsed once for all the
# rooms rather than once a file: it halves the time of a first build.
add_library(kestova_pch STATIC ${CMAKE_CURRENT_LIST_DIR}/pch.cpp)
target_link_libraries(kestova_pch PUBLIC Qt6::Widgets)
target_compile_options(kestova_pch PRIVATE -Wall -Wextra -Winvalid-pch)
target_precompile_headers(kestova_pch PRIVATE <QObject> <QString> <QList> <QHash> <QWidget>)

function(kestova_room name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NO_WIDGETS" "" "USES")
  add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_USES})
  target_compile_options(${name} PRIVATE -Wall -Wextra -Winvalid-pch)
  if(NOT ARG_NO_WIDGETS)
    target_precompile_headers(${name} REUSE_FROM kestova_pch)
  endif()
endfunction()

# kestova_program(PROGRAM CORE SOURCES... [DATA FILE]): a trainer as the
# tests see it, the static library CORE of its window, and the executable
# PROGRAM, which is CORE plus main.cpp and the start-up every program
# shares. DATA, a file of the program's folder,
# is copied next to the executable only when none is there yet, so that a
# build never overwrites what the user practised.
function(kestova_program program core)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "DATA" "")
  kestova_room(${core} ${ARG_UNPARSED_ARGUMENTS} USES kestova_keyboard)

  add_executable(${program} main.cpp)
  target_link_libraries(${program} PRIVATE ${core} kestova_app)

  if(ARG_DATA)
    add_custom_target(${core}_data ALL
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DATA}
              -DDEST=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${ARG_DATA}
              -P ${PROJECT_SOURCE_DIR}/cmake/copy_if_absent.cmake
      COMMENT "${ARG_DATA} next to ${program}, unless one is there")
    add_dependencies(${program} ${core}_data)
  endif()
endfunction()
