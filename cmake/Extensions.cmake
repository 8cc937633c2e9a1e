# The extensions a search examines, read from the program's one list
# (search/extension.h), in the forms the texts that name them need: the
# manual pages, the AppStream metadata, the package's description and the
# Windows users' guide.
file(STRINGS ${PROJECT_SOURCE_DIR}/search/extension.h extension_lines REGEX "\"\\.[a-z0-9]+\"")
string(REGEX MATCHALL "\\.[a-z0-9]+" BRENVO1_EXTENSIONS "${extension_lines}")
list(LENGTH BRENVO1_EXTENSIONS extension_count)
if(extension_count LESS 2)
  message(FATAL_ERROR "search/extension.h: no list of extensions found")
endif()
set(but_last ${BRENVO1_EXTENSIONS})
list(POP_BACK but_last BRENVO1_EXTENSION_LAST)
list(JOIN but_last " , " BRENVO1_EXTENSIONS_BUT_LAST_MDOC)
list(JOIN but_last ", " but_last_text)
set(BRENVO1_EXTENSIONS_EN "${but_last_text} and ${BRENVO1_EXTENSION_LAST}")
set(BRENVO1_EXTENSIONS_IT "${but_last_text} e ${BRENVO1_EXTENSION_LAST}")
list(JOIN BRENVO1_EXTENSIONS " " BRENVO1_EXTENSIONS_SPACED)
