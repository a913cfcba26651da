# Every target of ours builds with warnings as errors.
function(orderdesk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
