# The builder's core (tested natively) and its command-line front end.
set(ZELKOR_PACK_SOURCES
  tools/pack/options.cpp
  tools/pack/package_builder.cpp
  tools/pack/package_report.cpp
  tools/pack/block_report.cpp
  tools/pack/file_io.cpp
  tools/pack/dos_time.cpp
  tools/pack/block_encoder.cpp
  tools/pack/pack_files.cpp
  tools/pack/volume_layout.cpp
  tools/pack/extract_command.cpp
  tools/pack/language_file.cpp
  tools/pack/token_writer.cpp
  tools/pack/commands.cpp)
set(ZELKOR_PACK_MAIN tools/pack/main.cpp)

