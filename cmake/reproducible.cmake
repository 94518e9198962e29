# The same tree gives the same Vexo.exe wherever and whenever it is built.
#
# The PE header's time stamp is the last commit's date (SOURCE_DATE_EPOCH in
# the environment wins, as everywhere else), and the linker's checksum follows
# from it. No path of the build machine stays inside: __FILE__ and any debug
# information name sources relative to the tree.

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VELUMEN_TIME_STAMP "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CMAKE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE VELUMEN_TIME_STAMP OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _git_failed ERROR_QUIET)
  if(_git_failed OR NOT VELUMEN_TIME_STAMP)
    # A tree without its history: still the same bytes everywhere.
    set(VELUMEN_TIME_STAMP 0)
  endif()
endif()
if(NOT VELUMEN_TIME_STAMP MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be whole seconds, not '${VELUMEN_TIME_STAMP}'")
endif()
message(STATUS "PE time stamp: ${VELUMEN_TIME_STAMP}")

add_compile_options("-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=" "-ffile-prefix-map=${CMAKE_BINARY_DIR}/=")

# GNU ld stamps a PE file with SOURCE_DATE_EPOCH when it is set, else with the
# time of the link.
function(velumen_fixed_time_stamp target)
  set_target_properties(${target} PROPERTIES
    C_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${VELUMEN_TIME_STAMP}"
    CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${VELUMEN_TIME_STAMP}")
endfunction()
