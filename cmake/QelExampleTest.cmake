# The test "example": installs the built package into a prefix under the build folder, then
# configures, builds and runs each example against it, headless: examples/minimal, and
# examples/firstform (the first application of docs/first-application.md) with --check.
# Run with -DQEL_BUILD_DIR=... -DQEL_SOURCE_DIR=... [-DQEL_SANITIZE=ON] [-DQEL_BUILD_TYPE=...]
set(work ${QEL_BUILD_DIR}/example-test)
set(prefix ${work}/prefix)
file(REMOVE_RECURSE ${prefix})

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "example: ${what} failed (${rc})\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${QEL_BUILD_DIR} --prefix ${prefix})
foreach(f lib/cmake/QelObjCntrl/QelObjCntrlConfig.cmake include/QelObjCntrl/QelObjCntrl.h
    include/QelObjCntrl/controls/QelEdit.h include/QelObjCntrl/platform/toolkit/formloader.h)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "example: the install lacks ${f}")
  endif()
endforeach()
file(GLOB plugin ${prefix}/lib/qt6/plugins/designer/*qelobjcntrlplugin*)
if(NOT plugin)
  message(FATAL_ERROR "example: the install lacks the designer plugin")
endif()

set(options -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=${QEL_BUILD_TYPE})
find_program(ccache ccache)
if(ccache)
  list(APPEND options -DCMAKE_CXX_COMPILER_LAUNCHER=${ccache})
endif()
if(QEL_SANITIZE)
  # The package's libraries are sanitized: so is the program that links them.
  list(APPEND options "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer"
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined")
endif()
# Each example: its folder, its program, its argument ("-": none), and what it prints on success.
foreach(example "minimal;qelminimal;-;qelminimal: OK" "firstform;kontakte;--check;kontakte: OK")
  list(GET example 0 dir)
  list(GET example 1 program)
  list(GET example 2 args)
  list(GET example 3 expected)
  if(args STREQUAL "-")
    set(args "")
  endif()
  run("configure ${dir}" ${CMAKE_COMMAND} -S ${QEL_SOURCE_DIR}/examples/${dir} -B ${work}/${dir} ${options})
  run("build ${dir}" ${CMAKE_COMMAND} --build ${work}/${dir} -j2)
  run("run ${dir}" ${work}/${dir}/${program} ${args})
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "example ${dir}: unexpected output\n${out}")
  endif()
  message(STATUS "${out}")
endforeach()
