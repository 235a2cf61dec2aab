# The languages the game is translated into besides Japanese: po/LINGUAS, one code a line,
# each with its catalogue po/<code>.po.
file(STRINGS ${CMAKE_SOURCE_DIR}/po/LINGUAS HIMAWARI_LINGUAS REGEX "^[a-zA-Z_@]+$")
# A language added to the list is built by the next build: the list is read again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/po/LINGUAS)
list(JOIN HIMAWARI_LINGUAS " " HIMAWARI_LANGUAGES)
# The catalogues are placed beside the program, like the Data folder.
set(HIMAWARI_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
