# Build conventions shared by every layer: flags, one library per folder, resources.

# Compiles go through ccache, precompiled headers excepted (tools/compile-cached says why).
# A launcher given on the command line (tools/build-profile's) takes the place of both.
find_program(TL_CCACHE ccache)
if(TL_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/tools/compile-cached)
  set(CMAKE_C_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/tools/compile-cached)
endif()

add_compile_options(-Wall -Wextra -funsigned-char)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # g++ 12 at -O2 reports overlapping or out-of-bounds copies inside std::string that
  # cannot happen (known false positives of its inliner); clang and the sanitizer build
  # still check the same code.
  add_compile_options(-Wno-restrict -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
endif()
if(TL_WERROR)
  add_compile_options(-Werror)
endif()
include_directories(${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)

find_program(TL_LLD ld.lld)
if(TL_LLD)
  add_link_options(-fuse-ld=lld)
endif()

if(TL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# tl_fuzz_links(<fuzz source> <out-var>)
# The targets a fuzz target links, named on its line "// fuzz-links: <targets>".
function(tl_fuzz_links src out)
  file(STRINGS ${src} link_line REGEX "^// fuzz-links:")
  string(REGEX REPLACE "^// fuzz-links:[ \t]*" "" links "${link_line}")
  separate_arguments(links)
  set(${out} ${links} PARENT_SCOPE)
endfunction()

# Fuzzing builds measure the coverage of the code the fuzz targets exercise: the targets
# themselves and the layers they link, with what those link. Test programs, build tools
# and layers no fuzz target links run no fuzzer, so they are built without it.
function(tl_fuzz_instrument target)
  if(TL_SANITIZE AND TL_FUZZ)
    get_target_property(done ${target} TL_FUZZ_INSTRUMENTED)
    get_target_property(type ${target} TYPE)
    if(NOT done AND NOT type STREQUAL "INTERFACE_LIBRARY")
      target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
    set_property(TARGET ${target} PROPERTY TL_FUZZ_INSTRUMENTED ON)
    get_target_property(deps ${target} LINK_LIBRARIES)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(deps ${target} INTERFACE_LINK_LIBRARIES)
    endif()
    foreach(dep IN LISTS deps)
      if(dep IN_LIST TL_ALL_LAYERS)
        tl_fuzz_instrument(${dep})
      endif()
    endforeach()
  endif()
endfunction()

# tl_fuzz_instrument_layers(<fuzz sources folder>)
# Instruments every layer the fuzz targets in the folder link.
function(tl_fuzz_instrument_layers dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(src IN LISTS srcs)
    tl_fuzz_links(${src} links)
    foreach(link IN LISTS links)
      if(link IN_LIST TL_ALL_LAYERS)
        tl_fuzz_instrument(${link})
      endif()
    endforeach()
  endforeach()
endfunction()

option(TL_PCH "Precompile the headers most sources of a target include" ON)
# CMake opens its generated precompiled header with a system-header pragma, which would
# hide every warning in the project's own headers; they are ours and get checked.
set(CMAKE_PCH_PROLOGUE "")
# What ccache needs to cache sources compiled with a precompiled header: g++ names the
# header in its preprocessed output; clang leaves the build time out of the header.
if(TL_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fpch-preprocess)
elseif(TL_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  list(APPEND CMAKE_CXX_COMPILE_OPTIONS_CREATE_PCH -Xclang -fno-pch-timestamp)
endif()

# tl_precompile(<target> <header>...)
# Precompiles the headers for <target> and includes them first in each of its sources.
# Name them <like/this.h>, never by absolute path, so the generated header reads the same
# in every checkout and the compiler cache is shared. -DTL_PCH=OFF builds without, which
# checks that each source still includes what it uses.
function(tl_precompile target)
  get_target_property(type ${target} TYPE)
  if(TL_PCH AND NOT type STREQUAL "INTERFACE_LIBRARY")
    foreach(header IN LISTS ARGN)
      target_precompile_headers(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${header}>")
    endforeach()
  endif()
endfunction()

# tl_precompile_like(<target> <donor>)
# <target> uses <donor>'s precompiled header when both build with the same flags (here:
# both or neither instrumented for fuzzing), else precompiles the same headers itself.
function(tl_precompile_like target donor)
  get_target_property(type ${target} TYPE)
  if(TL_PCH AND NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(fuzz ${target} TL_FUZZ_INSTRUMENTED)
    get_target_property(donor_fuzz ${donor} TL_FUZZ_INSTRUMENTED)
    if((fuzz AND donor_fuzz) OR (NOT fuzz AND NOT donor_fuzz))
      target_precompile_headers(${target} REUSE_FROM ${donor})
    else()
      get_target_property(headers ${donor} PRECOMPILE_HEADERS)
      target_precompile_headers(${target} PRIVATE ${headers})
    endif()
  endif()
endfunction()

option(TL_UNITY "Compile test programs in groups of sources that cannot change each other" OFF)
if(TL_UNITY)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()

# tl_unity(<target> <source>...)
# With TL_UNITY, compiles <target>'s sources in groups, each group one translation unit:
# a test program's sources share most of their headers and template code, which a group
# parses and generates once. tools/unity-groups puts two sources in one group only when
# neither names what the other declares (so no helper of one can become an overload in,
# or hide a header's name from, the other), and keeps a source that defines macros alone.
# An edited or added source re-runs the grouping.
function(tl_unity target)
  if(NOT TL_UNITY)
    return()
  endif()
  execute_process(
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/unity-groups --max 8 ${ARGN}
    OUTPUT_VARIABLE groups ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tools/unity-groups failed for ${target}: ${err}")
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  string(REPLACE "\n" ";" lines "${groups}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^\t]+)\t(.+)$")
      if(CMAKE_MATCH_1 STREQUAL "alone")
        set_source_files_properties(${CMAKE_MATCH_2} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      else()
        set_source_files_properties(${CMAKE_MATCH_2} PROPERTIES UNITY_GROUP ${CMAKE_MATCH_1})
      endif()
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGN})
  # g++ takes the grouped sources for headers and warns that their test classes derive
  # from fixtures in unnamed namespaces; in a source of its own that is what such a
  # fixture is for.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()

set(TL_ALL_LAYERS "" CACHE INTERNAL "")

# tl_layer(<target> <folder> [deps...])
# Every .cpp directly in <folder> (not in sub-folders) goes into one static library.
# A folder without sources yet still gives a target, so upper layers can link it.
# A file named main.cpp is left out: it holds a program's entry point.
function(tl_layer target dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  set(rc ${PROJECT_SOURCE_DIR}/resources/${target}.rc)
  if(srcs OR EXISTS ${rc})
    add_library(${target} STATIC ${srcs})
    target_link_libraries(${target} PUBLIC ${ARGN})
    if(EXISTS ${rc})
      tl_add_resources(${target} ${rc})
    endif()
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
  set(TL_ALL_LAYERS ${TL_ALL_LAYERS} ${target} CACHE INTERNAL "")
endfunction()

# tl_add_resources(<target> <manifest>)
# Embeds the files a manifest names into <target>. The generated code defines
# `void TlRegisterResources_<target>()`, which the layer's unit start-up calls.
# Window descriptions (.tdf) are converted to their binary form first, so a typo
# in one fails the build.
function(tl_add_resources target manifest)
  set(root ${PROJECT_SOURCE_DIR}/resources)
  set(out ${CMAKE_BINARY_DIR}/generated/resources/${target})
  file(STRINGS ${manifest} lines)
  set(deps ${manifest})
  set(maps "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^#" OR line STREQUAL "")
      continue()
    endif()
    string(REGEX MATCH "^([A-Z_]+)[ \t]+([^ \t]+)[ \t]+([^ \t\"]+)" m "${line}")
    if(NOT m)
      continue()
    endif()
    set(src ${CMAKE_MATCH_3})
    if(src MATCHES "\\.tdf$")
      get_filename_component(stem ${src} NAME_WE)
      set(bin ${out}/${stem}.dfm)
      # The files a description includes are inputs of its conversion too; a changed
      # include list reconfigures.
      get_filename_component(tdf_dir ${root}/${src} DIRECTORY)
      file(STRINGS ${root}/${src} tdf_lines REGEX "\\{include '[^']+'\\}")
      set(tdf_deps "")
      foreach(tdf_line IN LISTS tdf_lines)
        string(REGEX MATCHALL "\\{include '[^']+'\\}" tdf_incs "${tdf_line}")
        foreach(tdf_inc IN LISTS tdf_incs)
          string(REGEX REPLACE "^\\{include '([^']+)'\\}$" "\\1" tdf_path "${tdf_inc}")
          list(APPEND tdf_deps ${tdf_dir}/${tdf_path})
        endforeach()
      endforeach()
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${root}/${src})
      add_custom_command(OUTPUT ${bin}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
        COMMAND tl_formconv ${root}/${src} ${bin}
        DEPENDS tl_formconv ${root}/${src} ${tdf_deps}
        COMMENT "Converting ${src}")
      list(APPEND deps ${bin})
      list(APPEND maps --map ${src}=${bin})
    elseif(EXISTS ${root}/${src})
      list(APPEND deps ${root}/${src})
    endif()
  endforeach()
  add_custom_command(
    OUTPUT ${out}/resources.S ${out}/resources.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND tl_rc ${manifest} ${root} ${target} ${out}/resources.S ${out}/resources.cpp ${maps}
    DEPENDS tl_rc ${deps}
    COMMENT "Embedding resources of ${target}")
  target_sources(${target} PRIVATE ${out}/resources.S ${out}/resources.cpp)
endfunction()
