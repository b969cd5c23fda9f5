list(APPEND ZELKOR_LOGIC
  src/package/byte_source.cpp
  src/package/trailer.cpp
  src/package/file_info.cpp
  src/package/volume_names.cpp
  src/package/zlib_inflate.cpp
  src/package/adler32.cpp
  src/package/block_header.cpp
  src/package/block_stream.cpp
  src/package/save_failure.cpp
  src/package/agent_copy.cpp
  src/package/package_extraction.cpp
  src/package/tokens.cpp)
list(APPEND ZELKOR_WIN
  src/package/extract_package_win.cpp)
# Platform file access used by both the stub and zelkor-pack.
list(APPEND ZELKOR_PLATFORM_WIN src/package/file_source_win.cpp src/package/cluster_size_win.cpp)
list(APPEND ZELKOR_PLATFORM_NATIVE src/package/file_source_posix.cpp src/package/cluster_size_posix.cpp)
