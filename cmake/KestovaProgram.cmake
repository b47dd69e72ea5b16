# kestova_program(PROGRAM CORE SOURCES... [DATA FILE]): a trainer as the
# tests see it, the static library CORE of its window, and the executable
# PROGRAM, which is CORE plus main.cpp and the start-up every program
# shares. DATA, a file of the program's folder,
# is copied next to the executable only when none is there yet, so that a
# build never overwrites what the user practised.
function(kestova_program program core)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "DATA" "")
  add_library(${core} STATIC ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${core} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${core} PUBLIC kestova_keyboard)
  target_compile_options(${core} PRIVATE -Wall -Wextra)

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
