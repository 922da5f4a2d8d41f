# A library from every .cpp of a folder; a header-only library while the folder has none yet.
function(qel_folder_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS "${dir}/*.h")
  if(sources)
    add_library(${name} STATIC ${sources} ${headers})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope}
    "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/platform>" "$<INSTALL_INTERFACE:include/QelObjCntrl/platform>")
  set(QEL_SCOPE ${scope} PARENT_SCOPE)
endfunction()

# Precompiled headers: each header of cmake/pch is parsed once per target instead of once per
# unit. Off with -DQEL_PCH=OFF (e.g. to check that every unit includes what it uses).
function(qel_precompile target header)
  if(QEL_PCH)
    target_precompile_headers(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake/pch/${header}")
  endif()
endfunction()

# Reuses another target's precompiled header (same compile flags and definitions).
function(qel_precompile_from target from)
  if(QEL_PCH)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()
