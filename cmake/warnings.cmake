function(vlnt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
                                           # clang (the fuzz build) has no -Wshadow=local.
                                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                           # GCC 12 misreads std::string copies at -O2 for mingw targets.
                                           $<$<PLATFORM_ID:Windows>:-Wno-restrict>)
endfunction()
