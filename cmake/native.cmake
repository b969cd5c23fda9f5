# Native build: the logic with its unit tests (also under ASan and UBSan),
# the native zelkor-pack, the post-link PE tool, and the Windows build as an
# external project so that one build folder holds everything CTest runs.
include(ExternalProject)
find_package(ZLIB REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ZELKOR_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

# The logic, the native platform layer and the builder's core, built twice:
# plain for the shipped zelkor-pack and sanitised for the unit tests.
set(ZELKOR_NATIVE_CORE ${ZELKOR_LOGIC_FILES} ${ZELKOR_PLATFORM_NATIVE_FILES}
    ${ZELKOR_PACK_SOURCES_FILES})
foreach(variant plain san)
  add_library(zelkor_core_${variant} STATIC ${ZELKOR_NATIVE_CORE})
  target_include_directories(zelkor_core_${variant} PUBLIC ${CMAKE_SOURCE_DIR}/src
                             ${CMAKE_SOURCE_DIR}/tools/pack)
  target_compile_options(zelkor_core_${variant} PRIVATE ${ZELKOR_WARNINGS})
  target_link_libraries(zelkor_core_${variant} PUBLIC ZLIB::ZLIB)
endforeach()
target_compile_options(zelkor_core_san PUBLIC ${ZELKOR_SANITIZE} -O1 -g)
target_link_options(zelkor_core_san PUBLIC ${ZELKOR_SANITIZE})

add_executable(zelkor-pack ${ZELKOR_PACK_MAIN_FILES})
target_compile_options(zelkor-pack PRIVATE ${ZELKOR_WARNINGS})
target_link_libraries(zelkor-pack PRIVATE zelkor_core_plain)

add_executable(pe-header-move tools/pefix/pe_header_move.cpp)
target_compile_options(pe-header-move PRIVATE ${ZELKOR_WARNINGS})

option(ZELKOR_SKIP_WINDOWS "Build only the native part (for quick unit-test cycles)" OFF)
# Two Windows builds of the same sources: the i686 product (Stub.exe and
# zelkor-pack.exe as shipped) and an x86_64 build that the Windows-side tests
# and scenarios run under wine64, because this kind of machine cannot execute
# 32-bit Linux programs and so cannot run 32-bit Wine.
set(ZELKOR_WIN_BUILD ${CMAKE_BINARY_DIR}/win)
set(ZELKOR_WIN_TEST_BUILD ${CMAKE_BINARY_DIR}/win64)
if(NOT ZELKOR_SKIP_WINDOWS)
  foreach(arch i686 x86_64)
    if(arch STREQUAL i686)
      set(target windows)
      set(dir ${ZELKOR_WIN_BUILD})
      set(role product)
    else()
      set(target windows64)
      set(dir ${ZELKOR_WIN_TEST_BUILD})
      set(role test)
    endif()
    ExternalProject_Add(${target}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                 -DCMAKE_BUILD_TYPE=MinSizeRel
                 -DZELKOR_WIN_ROLE=${role}
                 -DZELKOR_PE_HEADER_MOVE=$<TARGET_FILE:pe-header-move>
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      DEPENDS pe-header-move)
  endforeach()
endif()

enable_testing()
add_subdirectory(tests)
