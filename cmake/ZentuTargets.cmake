# Build rules shared by the layers, the tools and the tests.

set(ZT_WARNINGS -Wall -Wextra)

# Compiler settings every target of ours gets.
add_library(zt_options INTERFACE)
target_compile_options(zt_options INTERFACE
  ${ZT_WARNINGS}
  $<$<COMPILE_LANGUAGE:CXX,C>:-fexec-charset=GBK -finput-charset=UTF-8>)
target_compile_definitions(zt_options INTERFACE
  WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601 WINVER=0x0601
  _WIN32_IE=0x0800 TIXML_USE_STL)
target_include_directories(zt_options INTERFACE ${CMAKE_SOURCE_DIR} ${ZT_DEPS_PREFIX}/include)
target_link_options(zt_options INTERFACE -static -static-libgcc -static-libstdc++)

add_library(zt_tinyxml STATIC IMPORTED)
set_target_properties(zt_tinyxml PROPERTIES IMPORTED_LOCATION ${ZT_DEPS_PREFIX}/lib/libtinyxml.a)

# Windows libraries any layer may use; those needed only after the first
# window are loaded at their first call (cmake/LateImports.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/LateImports.cmake)
add_library(zt_system INTERFACE)
zt_late_import_libraries(zt_late_libraries wininet shell32)
target_link_libraries(zt_system INTERFACE
  zt_tinyxml z gdiplus msimg32 comctl32 uxtheme imm32 shlwapi psapi ${zt_late_libraries}
  ws2_32 crypt32 ole32 oleaut32 uuid advapi32 comdlg32 gdi32 user32 kernel32 winmm)

set(ZT_LAYER_TARGETS "")

# zt_layer(name [DEPENDS layer...]): a static library zt_<name> from every
# .cpp under <name>/ except a WinMain file, when there is any source yet.
function(zt_layer name)
  cmake_parse_arguments(L "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/WinMain\\.cpp$")
  if(NOT srcs)
    return()
  endif()
  add_library(zt_${name} STATIC ${srcs})
  target_link_libraries(zt_${name} PUBLIC zt_options)
  foreach(dep ${L_DEPENDS})
    if(TARGET zt_${dep})
      target_link_libraries(zt_${name} PUBLIC zt_${dep})
    endif()
  endforeach()
  target_link_libraries(zt_${name} PUBLIC zt_system)
  set(ZT_LAYER_TARGETS ${ZT_LAYER_TARGETS} zt_${name} PARENT_SCOPE)
endfunction()

# zt_tool_library(name sources...): a library under tools/ that tests may link.
set_property(GLOBAL PROPERTY ZT_TOOL_LIBRARIES "")
function(zt_tool_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC zt_options)
  foreach(layer base net data)
    if(TARGET zt_${layer})
      target_link_libraries(${name} PUBLIC zt_${layer})
    endif()
  endforeach()
  target_link_libraries(${name} PUBLIC zt_system)
  set_property(GLOBAL APPEND PROPERTY ZT_TOOL_LIBRARIES ${name})
endfunction()

# zt_use_resource_images(target rc-file): the resource script of the target
# compiles in images of the skin generator (res/ZentuUi.rc): windres finds
# them and the script is compiled again when they change.
function(zt_use_resource_images target rc)
  target_include_directories(${target} PRIVATE ${ZT_RESOURCE_IMAGE_DIR} ${CMAKE_SOURCE_DIR}/res)
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${ZT_RESOURCE_IMAGES})
  add_dependencies(${target} zt_skin_files)
endfunction()
