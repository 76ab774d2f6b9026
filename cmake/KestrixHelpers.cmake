# Shared compile settings for every target of the project.
add_library(kestrix_warnings INTERFACE)
target_compile_options(kestrix_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(KESTRIX_WERROR)
  target_compile_options(kestrix_warnings INTERFACE -Werror)
endif()

if(KESTRIX_SANITIZE)
  set(_kx_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  if(KESTRIX_FUZZ)
    list(APPEND _kx_san -fsanitize=fuzzer-no-link)
  endif()
  add_compile_options(${_kx_san})
  add_link_options(-fsanitize=address,undefined)
endif()

# One gtest executable per folder below tests/, every *.cpp in it.
function(kx_add_test_dir area)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  set(_exe kestrix_${area}_tests)
  add_executable(${_exe} ${_srcs})
  target_link_libraries(${_exe} PRIVATE ${ARGN} GTest::gtest_main GTest::gmock kestrix_warnings)
  target_include_directories(${_exe} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  gtest_discover_tests(${_exe} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "KESTRIX_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}/tmp")
endfunction()
