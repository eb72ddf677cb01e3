# System libraries the program first calls after its login dialog is up:
# WinINet (downloads through a proxy) and the shell (pages opened in the
# browser). Imported lazily: each is loaded at the first call into it, so that
# the loader maps neither them nor what they import (WinINet brings mpr, zlib
# and the shell) before the program's first window. CryptoAPI stays a plain
# import: the dialog reads a stored password with it before it is shown.
#
# zt_late_import_libraries(<out-var> lib...): sets out-var to what to link in
# place of the plain import libraries of those libs.
#
# mingw-w64 has no delay-load switch in its linker: dlltool makes a lazy
# import library from a list of the library's exports, taken from mingw's own
# import library (all its functions, so that any call the code adds is lazy
# too), and libmingwex's __delayLoadHelper2 loads the library at the first
# call. A native Windows linker does the same with /DELAYLOAD.
function(zt_late_import_libraries out)
  set(libs "")
  if(MSVC)
    foreach(lib ${ARGN})
      list(APPEND libs ${lib})
      target_link_options(zt_system INTERFACE /DELAYLOAD:${lib}.dll)
    endforeach()
    list(APPEND libs delayimp)
    set(${out} ${libs} PARENT_SCOPE)
    return()
  endif()

  find_program(ZT_NM NAMES ${ZT_MINGW_PREFIX}-nm REQUIRED)
  find_program(ZT_DLLTOOL NAMES ${ZT_MINGW_PREFIX}-dlltool REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/late-imports)
  file(MAKE_DIRECTORY ${dir})
  foreach(lib ${ARGN})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${lib}.a
      OUTPUT_VARIABLE plain OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${plain}")
      message(FATAL_ERROR "no import library lib${lib}.a for a lazy import of ${lib}.dll")
    endif()
    execute_process(COMMAND ${ZT_NM} -g --defined-only ${plain}
      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${ZT_NM} cannot read ${plain}")
    endif()
    # Code symbols ("T") are the functions; 32-bit names carry the leading
    # underscore that dlltool adds again, and keep their @n, which -k drops
    # from the imported name.
    string(REGEX MATCHALL "[^\n]* T [^\n]*" lines "${symbols}")
    set(def "LIBRARY ${lib}.dll\nEXPORTS\n")
    set(seen "")
    foreach(line ${lines})
      string(REGEX REPLACE "^.* T " "" name "${line}")
      if(ZT_MINGW_PREFIX MATCHES "^i686")
        string(REGEX REPLACE "^_" "" name "${name}")
      endif()
      if(name AND NOT name IN_LIST seen)
        list(APPEND seen ${name})
        string(APPEND def "${name}\n")
      endif()
    endforeach()
    file(WRITE ${dir}/${lib}.def.new "${def}")
    file(COPY_FILE ${dir}/${lib}.def.new ${dir}/${lib}.def ONLY_IF_DIFFERENT)
    file(REMOVE ${dir}/${lib}.def.new)
    set(late ${dir}/lib${lib}_late.a)
    if(NOT EXISTS ${late} OR ${dir}/${lib}.def IS_NEWER_THAN ${late})
      set(kill "")
      if(ZT_MINGW_PREFIX MATCHES "^i686")
        set(kill -k)
      endif()
      execute_process(COMMAND ${ZT_DLLTOOL} ${kill} --input-def ${dir}/${lib}.def --dllname ${lib}.dll
        --output-delaylib ${late} RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "${ZT_DLLTOOL} could not make the lazy import library of ${lib}.dll")
      endif()
    endif()
    list(APPEND libs ${late})
  endforeach()
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
