# VLNT_SANITIZE=address builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# VLNT_SANITIZE=thread with ThreadSanitizer; both native only. GCC leaves the
# check of a floating-point number too large for its integer type out of
# "undefined": numbers from datagrams and the simulator must never meet one.
if(VLNT_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined,float-cast-overflow)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
elseif(VLNT_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VLNT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VLNT_SANITIZE must be empty, address or thread")
endif()
if(NOT VLNT_SANITIZE STREQUAL "" AND CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "Sanitizer builds are native only")
endif()
