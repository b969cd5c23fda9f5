list(APPEND ZELKOR_LOGIC
  src/net/partial_file.cpp
  src/net/download_progress.cpp
  src/net/download_rate.cpp
  src/net/download_request.cpp
  src/net/download_errors.cpp
  src/net/check_404_page.cpp
  src/net/web_installer.cpp)
list(APPEND ZELKOR_WIN
  src/net/download_control_win.cpp
  src/net/wininet_library_win.cpp
  src/net/wininet_calls_win.cpp
  src/net/http_query_win.cpp
  src/net/http_download_win.cpp
  src/net/download_rate_win.cpp
  src/net/check_404_page_win.cpp
  src/net/web_installer_win.cpp)
