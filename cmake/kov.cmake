# Shared compile settings of every Kovash target.
#
# Narrow strings are Shift-JIS (CP932) inside the program; sources are UTF-8.
# clang cannot take a CP932 execution charset, so the fuzz build goes without it.
set(KOV_CHARSET_FLAGS "")
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(KOV_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=CP932)
endif()

# KOV_SANITIZE: the normal build and its tests under ASan and UBSan (any compiler); the fuzz
# build always has them.
option(KOV_SANITIZE "Build everything with AddressSanitizer and UBSan" OFF)
if(KOV_FUZZ OR KOV_SANITIZE)
  set(KOV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
endif()

# The window layer (ui) keeps UTF-8 literals: its texts become QStrings at once, and Qt's
# headers hold characters Shift-JIS cannot spell.
function(kov_target_defaults tgt)
  get_target_property(utf8 ${tgt} KOV_UTF8_LITERALS)
  if(utf8)
    set(charset -finput-charset=UTF-8)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      set(charset "")
    endif()
  else()
    set(charset ${KOV_CHARSET_FLAGS})
  endif()
  target_compile_options(${tgt} PRIVATE -Wall -Wextra ${charset} ${KOV_SAN_FLAGS})
  target_link_options(${tgt} PRIVATE ${KOV_SAN_FLAGS})
  if(KOV_FUZZ)
    target_compile_options(${tgt} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# A core library: every .cpp of the folder, no Qt.
function(kov_core_library tgt dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_library(${tgt} STATIC ${srcs} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${tgt} PUBLIC ${PROJECT_SOURCE_DIR})
  kov_target_defaults(${tgt})
endfunction()
