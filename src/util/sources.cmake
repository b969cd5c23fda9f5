list(APPEND ZELKOR_LOGIC
  src/util/text.cpp
  src/util/lists.cpp
  src/util/switches.cpp
  src/util/debug_log_format.cpp
  src/util/trace_buffer.cpp
  src/util/registry_path.cpp
  src/util/registry_value.cpp
  src/util/scrambler.cpp
  src/util/value_helpers.cpp)
list(APPEND ZELKOR_WIN
  src/util/process_info_win.cpp
  src/util/switches_win.cpp
  src/util/debug_log_win.cpp
  src/util/trace_win.cpp
  src/util/ini_registry_win.cpp
  src/util/value_helpers_win.cpp)
