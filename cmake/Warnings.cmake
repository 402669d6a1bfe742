# Warnings are errors-in-waiting: every target of the project builds clean with these.
function(qv_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wnon-virtual-dtor -Wformat=2
                                             -Wimplicit-fallthrough
                                             $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
    if(QV_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

option(QV_WERROR "Treat warnings as errors" OFF)

# qv_library(name SOURCES ... DEPENDS ...): one static library per folder.
function(qv_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    qv_set_warnings(${name})
endfunction()
