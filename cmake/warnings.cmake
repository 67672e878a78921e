# Our own code builds with every common warning turned into an error.
# GCC 12 reports -Wrestrict on std::string concatenation at -O3 where no
# overlap exists (GCC bug 105329); the check is left to clang there.
function(ovcore_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wformat=2 -Wimplicit-fallthrough
    $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()
