list(APPEND ZELKOR_LOGIC
  src/stub/run_mode.cpp)
# entry.cpp, cxx_runtime.cpp and zlib_checksums.cpp go into Stub.exe only
# (cmake/windows.cmake); the rest forms the Win32 layer the tests link too.
list(APPEND ZELKOR_WIN
  src/stub/cxx_runtime.cpp
  src/stub/entry.cpp
  src/stub/stub_main.cpp
  src/stub/process_state.cpp
  src/stub/agent_relaunch.cpp)
