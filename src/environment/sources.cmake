list(APPEND ZELKOR_LOGIC
  src/environment/localised_strings.cpp)
list(APPEND ZELKOR_WIN
  src/environment/language_win.cpp)
