# Warnings are errors in every build of the project's own code.
set(CORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor
    -Wcast-align -Wunused -Woverloaded-virtual -Wformat=2
    -Wimplicit-fallthrough -Werror)
set(CORVANE_C_WARNINGS -Wall -Wextra -Wpedantic -Wformat=2 -Werror)

# Applies the project's warnings to one of its own targets.
function(corvane_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:${CORVANE_WARNINGS}>
    $<$<COMPILE_LANGUAGE:C>:${CORVANE_C_WARNINGS}>)
endfunction()
