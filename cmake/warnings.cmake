# Our own code builds with every common warning turned into an error.
function(ovcore_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wformat=2 -Wimplicit-fallthrough)
endfunction()
