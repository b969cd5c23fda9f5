list(APPEND ZELKOR_LOGIC
  src/ui/message_box_flags.cpp
  src/ui/message_box_text.cpp
  src/ui/message_box_buttons.cpp
  src/ui/message_box_layout.cpp
  src/ui/window_arithmetic.cpp)
list(APPEND ZELKOR_WIN
  src/ui/stub_window.cpp
  src/ui/message_box_win.cpp
  src/ui/message_box_front_win.cpp
  src/ui/window_helpers_win.cpp)
