list(APPEND ZELKOR_LOGIC
  src/setup/file_helpers.cpp
  src/setup/setup_logic.cpp
  src/setup/self_removal_batch.cpp)
list(APPEND ZELKOR_WIN
  src/setup/file_helpers_win.cpp
  src/setup/self_removal_win.cpp
  src/setup/spanned_media.cpp
  src/setup/setup_run_win.cpp)
