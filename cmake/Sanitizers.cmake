# One switch for the address and undefined-behaviour sanitizers, applied to every target so
# that library code, tests and harnesses are instrumented alike.
if(QV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
