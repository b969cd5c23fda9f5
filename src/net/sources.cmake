list(APPEND ZELKOR_WIN
  src/net/download_control_win.cpp
  src/net/wininet_library_win.cpp)
