# Writes the English help document: the help with every control named as the
# English texts name it. cmake -DIN=VelmoraHelp.htm -DOUT=VelmoraHelp_en.htm -P EnglishHelp.cmake
file(READ "${IN}" help)
set(names
  "HighResolution" "High resolution"
  "MONO, 3," "Mono, 3,"
  "\n(色 means colours)." "."
  "Random(Dark)" "Random (dark)"
  "Random(Blight)" "Random (bright)"
  "Picture Effect" "Picture effect"
  "Draw Area" "Region"
  "Palett A" "Palette A"
  "Palett B" "Palette B"
  "<b>Prnt</b>" "<b>Print</b>"
  "<b>Virtical</b>" "<b>Vertical</b>")
while(names)
  list(POP_FRONT names original english)
  string(FIND "${help}" "${original}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the help no longer holds \"${original}\": bring ${CMAKE_CURRENT_LIST_FILE} up to date")
  endif()
  string(REPLACE "${original}" "${english}" help "${help}")
endwhile()
file(WRITE "${OUT}" "${help}")
