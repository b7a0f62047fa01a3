# Warnings and sanitizers for every target of the project (lexova_options).
add_library(lexova_options INTERFACE)
target_compile_options(lexova_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                -Wold-style-cast -Wcast-align -Woverloaded-virtual)
if(LEXOVA_WERROR)
  target_compile_options(lexova_options INTERFACE -Werror)
endif()
if(LEXOVA_SANITIZE)
  target_compile_options(lexova_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                                  -fno-omit-frame-pointer)
  target_link_options(lexova_options INTERFACE -fsanitize=address,undefined)
endif()
if(LEXOVA_FUZZ)
  target_compile_options(lexova_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                  -fno-sanitize-recover=undefined)
  target_link_options(lexova_options INTERFACE -fsanitize=address,undefined)
endif()
target_include_directories(lexova_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
target_compile_definitions(lexova_options INTERFACE LEXOVA_VERSION="${PROJECT_VERSION}")

# lexova_core_library(name SOURCES...): a library of the core (no Qt may reach it).
function(lexova_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC lexova_options)
endfunction()
