# Every target of ours builds with -Wall -Wextra -Wpedantic. They are errors
# in a developer's build (no build type given, as the README's commands do)
# and in CI (.ci/run turns them on); a build configured with its own build
# type, as a packager's or a user's Release build is, keeps them as warnings
# so that a newer compiler's new warning cannot break it.
# The choice is made at the first configure and then kept in the cache.
option(ORDERDESK_WERROR "Treat compiler warnings as errors" ${ORDERDESK_DEVELOPER_BUILD})

function(orderdesk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(ORDERDESK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
