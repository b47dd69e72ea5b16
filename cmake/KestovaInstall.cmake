# What `cmake --install`, and so the Debian package, puts where: the programs
# with their menu entries, icons and man pages, one AppStream file for them
# all, the shipped data files and the user's guide. Included after every
# program's folder: a program that is not built here (the record window
# before record/ exists) is left out with all that belongs to it.
include(GNUInstallDirs)

set(KESTOVA_METAINFO io.github.kestova.kestova.metainfo.xml)
# The programs and, in the same order, their desktop entries and icons. The
# 48 px icons are made once from the SVGs and kept in the repository:
#   rsvg-convert -w 48 -h 48 NAME.svg -o NAME.png   (librsvg2-bin)
set(programs Kestova100 KestovaC100 KestovaB100 KestovaRecord KestovaCourse)
set(entries kestova-fingerdrill kestova-wordtype kestova-keydrill kestova-record kestova-course)
set(launchables "")
set(binaries "")
foreach(program entry IN ZIP_LISTS programs entries)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program})
  install(FILES data/${entry}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/icons/${entry}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES data/icons/${entry}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
  install(FILES docs/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND launchables "<launchable type=\"desktop-id\">${entry}.desktop</launchable>")
  list(APPEND binaries "<binary>${program}</binary>")
endforeach()

list(JOIN launchables "\n  " KESTOVA_LAUNCHABLES)
list(JOIN binaries "\n    " KESTOVA_BINARIES)
configure_file(data/${KESTOVA_METAINFO}.in ${KESTOVA_METAINFO} @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${KESTOVA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The shipped files, which an installed trainer copies into the user's data
# folder, since it cannot write next to itself.
install(FILES fingerdrill/Mirelo.ini wordtype/text.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/kestova)
# The course's words, read where they are installed.
if(TARGET KestovaCourse)
  install(FILES data/kana-words.txt data/sentences.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/kestova)
endif()

file(GLOB pictures ${CMAKE_CURRENT_SOURCE_DIR}/docs/*.png)
install(FILES docs/guide.md ${pictures} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestova)
