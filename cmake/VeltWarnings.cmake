# Every target of the project links velt_options: the warning set (warnings are
# errors) and, in the sanitizer build, ASan and UBSan.
add_library(velt_options INTERFACE)
target_compile_options(velt_options INTERFACE -Wall -Wextra -Werror)

if(VELT_SANITIZE OR VELT_FUZZ)
  set(VELT_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(velt_options INTERFACE ${VELT_SANITIZER_FLAGS})
  target_link_options(velt_options INTERFACE -fsanitize=address,undefined)
endif()

if(VELT_FUZZ)
  # Libraries get coverage instrumentation; only the harnesses link the fuzzer main.
  target_compile_options(velt_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
