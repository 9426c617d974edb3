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

include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

# The include folder of a layer: links to its own folder and to every folder of a lower level,
# so that an include reaching up or sideways is not found by the compiler. Made at configure
# time under the build tree; also holds the generated headers.
function(kov_layer_includes tgt folder)
  set(dir ${PROJECT_BINARY_DIR}/layers/${tgt})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  set(below "")
  set(found OFF)
  foreach(level ${KOV_LEVELS})
    string(REPLACE "," ";" peers "${level}")
    if(folder IN_LIST peers)
      set(found ON)
      break()
    endif()
    list(APPEND below ${peers})
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "${folder} is in no layer (cmake/layers.cmake)")
  endif()
  foreach(f ${below} ${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${f} ${dir}/${f} SYMBOLIC)
  endforeach()
  target_include_directories(${tgt} PRIVATE ${dir} ${PROJECT_BINARY_DIR}/gen)
endfunction()

# A layer's library: every .cpp of the folder (not of its qt/ views), its own include folder,
# PRIVATE links to the layers it uses.
function(kov_layer_library tgt folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${tgt} STATIC ${srcs} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  kov_layer_includes(${tgt} ${folder})
  if(ARGN)
    target_link_libraries(${tgt} PRIVATE ${ARGN})
  endif()
  kov_target_defaults(${tgt})
endfunction()
