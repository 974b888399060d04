# Runs every line of examples/*.list: "program input output [more arguments]",
# input relative to examples/, output written below OUT_DIR. Blank lines and
# lines starting with # are skipped. Any failing conversion fails the job.
file(GLOB lists ${EXAMPLES_DIR}/*.list)
file(MAKE_DIRECTORY ${OUT_DIR})
set(count 0)
foreach(list ${lists})
  file(STRINGS ${list} lines)
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    separate_arguments(words UNIX_COMMAND "${line}")
    list(POP_FRONT words prog input output)
    execute_process(COMMAND ${BIN_DIR}/${prog} ${EXAMPLES_DIR}/${input} ${OUT_DIR}/${output} ${words}
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${prog} ${input} ${output} ${words} failed (${rc}): ${err}")
    endif()
    message(STATUS "${prog} ${input} -> ${OUT_DIR}/${output}")
    math(EXPR count "${count} + 1")
  endforeach()
endforeach()
message(STATUS "${count} example(s) converted into ${OUT_DIR}")
