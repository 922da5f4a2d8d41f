# The test "example": installs the built package into a prefix under the build folder, then
# configures, builds and runs examples/minimal against it, headless.
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
run("configure" ${CMAKE_COMMAND} -S ${QEL_SOURCE_DIR}/examples/minimal -B ${work}/build ${options})
run("build" ${CMAKE_COMMAND} --build ${work}/build -j2)
run("run" ${work}/build/qelminimal)
if(NOT out MATCHES "qelminimal: OK")
  message(FATAL_ERROR "example: unexpected output\n${out}")
endif()
message(STATUS "${out}")
