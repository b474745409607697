# Compiler settings shared by every target of the project.

# Line tables are all that backtraces, sanitizer reports and profilers need; full debug
# information costs a fifth of every compile.
add_compile_options($<$<CONFIG:RelWithDebInfo>:-g1>)

set(ORVALE_WARNINGS
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wsuggest-override -Werror)

if(ORVALE_FUZZ)
    # The stored-format fuzzers drive the real libraries: instrument every one of them.
    # -O1, as libFuzzer's documentation builds its targets.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined $<$<CONFIG:RelWithDebInfo>:-O1>)
    add_link_options(-fsanitize=address,undefined)
elseif(ORVALE_SANITIZE)
    # -O1, the level the sanitizers' documentation suggests, halves the instrumented build.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
        $<$<CONFIG:RelWithDebInfo>:-O1>)
    add_link_options(-fsanitize=address,undefined)
endif()

# Applies the project's warnings (as errors) to one of our own targets.
function(orvale_target_defaults target)
    target_compile_options(${target} PRIVATE ${ORVALE_WARNINGS})
endfunction()

# One library per source folder.
function(orvale_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
    orvale_target_defaults(${name})
endfunction()

# A user-interface library made of every source, header and designer form in its folder, so
# that adding a file needs no edit here. A folder without sources yet is an interface library.
function(orvale_folder_library name)
    cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
    set(compiled ${sources})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(compiled)
        orvale_library(${name} SOURCES ${sources} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_PUBLIC})
    endif()
endfunction()
