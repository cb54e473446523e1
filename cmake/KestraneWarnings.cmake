# Strict warnings, as errors, for the project's own targets (not for GoogleTest or CLI11).
function(kestrane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Werror)
endfunction()
