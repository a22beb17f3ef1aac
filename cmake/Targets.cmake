# Compiler settings shared by every target of the project.
#
# All targets compute the same bits: SSE2 arithmetic (never x87) and no
# contraction of a*b+c into fused multiply-adds.

add_library(stipplewave_options INTERFACE)
target_compile_options(stipplewave_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror
  -ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86|i[3-6]86)$")
  target_compile_options(stipplewave_options INTERFACE -msse2 -mfpmath=sse)
endif()
if(WIN32)
  target_compile_definitions(stipplewave_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
if(STIPPLEWAVE_SANITIZE)
  target_compile_options(stipplewave_options INTERFACE -fsanitize=${STIPPLEWAVE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(stipplewave_options INTERFACE -fsanitize=${STIPPLEWAVE_SANITIZE})
endif()

if(STIPPLEWAVE_FUZZ)
  target_compile_options(stipplewave_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Windows programs and the plug-in link the runtime statically so that they
# need only system DLLs under Wine and on users' machines.
if(WIN32)
  target_link_options(stipplewave_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# Google Test: Debian's library on Linux; built from Debian's source package
# for the Windows cross builds.
function(stipplewave_find_gtest)
  if(TARGET GTest::gtest)
    return()
  endif()
  if(WIN32)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

