function(vlnt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers
                                           # GCC 12 misreads std::string copies at -O2 for mingw targets.
                                           $<$<PLATFORM_ID:Windows>:-Wno-restrict>)
endfunction()
