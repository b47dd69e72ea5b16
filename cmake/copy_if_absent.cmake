# cmake -DSOURCE=shipped.ini -DDEST=bin/shipped.ini -P copy_if_absent.cmake
# Puts the shipped data next to a program unless the user already has a file
# there: practice seconds and word lists are never overwritten by a build.
if(NOT EXISTS "${DEST}")
  configure_file("${SOURCE}" "${DEST}" COPYONLY)
endif()
