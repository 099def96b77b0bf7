# One sanitizer build for the tests (ASan + UBSan) and, for the thread-heavy
# code, a ThreadSanitizer build. The two cannot be combined.
if(CORVANE_SANITIZE AND CORVANE_TSAN)
  message(FATAL_ERROR "CORVANE_SANITIZE and CORVANE_TSAN exclude each other")
endif()
if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CORVANE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
