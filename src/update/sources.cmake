list(APPEND ZELKOR_WIN
  src/update/test_mode.cpp
  src/update/scheduler.cpp)
