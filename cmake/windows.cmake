# MinGW i686 build: Stub.exe, zelkor-pack.exe and the test kit.
set(ZELKOR_SIZE_FLAGS -Os -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-threadsafe-statics)
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 WIN32_LEAN_AND_MEAN NOMINMAX)

add_library(zelkor_logic STATIC ${ZELKOR_LOGIC_FILES} ${ZELKOR_PLATFORM_WIN_FILES})
target_include_directories(zelkor_logic PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(zelkor_logic PRIVATE ${ZELKOR_WARNINGS} ${ZELKOR_SIZE_FLAGS})

# The Win32 layer, shared by the stub and the Windows-side tests.
set(ZELKOR_STUB_ENTRY ${CMAKE_SOURCE_DIR}/src/stub/entry.cpp ${CMAKE_SOURCE_DIR}/src/stub/cxx_runtime.cpp
    ${CMAKE_SOURCE_DIR}/src/stub/zlib_checksums.cpp)
set(ZELKOR_WIN_LAYER_FILES ${ZELKOR_WIN_FILES})
list(REMOVE_ITEM ZELKOR_WIN_LAYER_FILES ${ZELKOR_STUB_ENTRY})
add_library(zelkor_win_layer STATIC ${ZELKOR_WIN_LAYER_FILES})
target_include_directories(zelkor_win_layer PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(zelkor_win_layer PRIVATE ${ZELKOR_WARNINGS} ${ZELKOR_SIZE_FLAGS})
target_link_libraries(zelkor_win_layer PUBLIC zelkor_logic -l:libz.a comctl32)

# The stub: entry + Win32 layer + logic + resources, static runtime and zlib.
add_executable(Stub WIN32 ${ZELKOR_STUB_ENTRY} ${CMAKE_SOURCE_DIR}/src/stub/stub.rc)
# The resource compiler's dependency scan does not see the files it embeds.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/stub/stub.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/src/stub/stub.ico;${CMAKE_SOURCE_DIR}/src/stub/stub.manifest")
target_compile_options(Stub PRIVATE ${ZELKOR_WARNINGS} ${ZELKOR_SIZE_FLAGS})
# Our own entry (src/stub/entry.cpp) replaces the runtime's start-up files;
# with auto-import off, data imported from a DLL, which only that start-up
# code could have fixed up, fails the link instead of the run.
target_link_options(Stub PRIVATE -static -s -nostartfiles -Wl,--gc-sections
                    -Wl,--disable-auto-import)
target_link_libraries(Stub PRIVATE zelkor_win_layer)
if(ZELKOR_PE_HEADER_MOVE)
  add_custom_command(TARGET Stub POST_BUILD
    COMMAND ${ZELKOR_PE_HEADER_MOVE} $<TARGET_FILE:Stub>
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:Stub> -P ${CMAKE_SOURCE_DIR}/cmake/print_size.cmake
    VERBATIM)
endif()

add_executable(zelkor-pack-win ${ZELKOR_PACK_SOURCES_FILES} ${ZELKOR_PACK_MAIN_FILES})
target_include_directories(zelkor-pack-win PRIVATE ${CMAKE_SOURCE_DIR}/tools/pack)
target_compile_options(zelkor-pack-win PRIVATE ${ZELKOR_WARNINGS})
target_link_libraries(zelkor-pack-win PRIVATE zelkor_logic -l:libz.a)
target_link_options(zelkor-pack-win PRIVATE -static -s)
set_target_properties(zelkor-pack-win PROPERTIES OUTPUT_NAME zelkor-pack)

# The product build stops here; the test build adds the test kit and the
# Windows-side tests.
if(NOT ZELKOR_WIN_ROLE STREQUAL "test")
  return()
endif()

add_subdirectory(tools/testkit)

# Windows-side unit tests of the Win32 layer, run under Wine by CTest.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB ZELKOR_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
# The tests build their packages with the builder's core.
add_executable(win_tests ${ZELKOR_WIN_TESTS} ${ZELKOR_PACK_SOURCES_FILES})
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/pack)
target_compile_options(win_tests PRIVATE ${ZELKOR_WARNINGS})
target_link_libraries(win_tests PRIVATE zelkor_win_layer GTest::gtest_main)
target_link_options(win_tests PRIVATE -static)
