# The optimized builds, the program people install among them, get the hardening Debian builds
# its own packages with: checked libc calls, stack protection, a read-only relocation table.
# Not with the sanitizers, which bring their own checks, nor for Windows.
if(NOT WIN32 AND NOT QUERVELLE_SANITIZE)
  set(optimized "$<CONFIG:Release,RelWithDebInfo>")
  add_compile_options("$<${optimized}:-D_FORTIFY_SOURCE=2>"
                      "$<${optimized}:-fstack-protector-strong>"
                      "$<${optimized}:-fstack-clash-protection>"
                      "$<${optimized}:-fcf-protection>")
  add_link_options("$<${optimized}:LINKER:-z,relro,-z,now>")
endif()
