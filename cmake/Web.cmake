# The browser build (emcmake cmake): the game as zorvane.js, .wasm and .data beside our own page in
# <build>/web, and the frame benchmark as bench.js beside bench.html. Driven by scripts/web.sh.
set(ZORVANE_WEB_DIR ${PROJECT_BINARY_DIR}/web)

# The quit request and every failure travel as exceptions, which Emscripten leaves out by default.
# -Wshadow=local, from the desktop flags, is GCC's alone.
add_compile_options(-fexceptions -Wno-unknown-warning-option)
add_link_options(-fexceptions)

include(${PROJECT_SOURCE_DIR}/cmake/Core.cmake)

# The simulator's library, for the benchmark and the replays.
add_subdirectory(sim EXCLUDE_FROM_ALL)

# ASYNCIFY lets the frame wait's SDL_Delay hand control back to the browser, so the blocking loop
# stays as it is. The preload plugins have the browser decode the BMPs and sounds before main().
set(ZORVANE_WEB_LINK
  -sASYNCIFY -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  --use-preload-plugins --preload-file ${PROJECT_SOURCE_DIR}/resource@/resource)

file(GLOB_RECURSE ZORVANE_RESOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resource/*)

function(zorvane_web_program target output)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${output} SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${ZORVANE_WEB_DIR})
  target_link_options(${target} PRIVATE ${ZORVANE_WEB_LINK})
  # The resources are packed at link time.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${ZORVANE_RESOURCES})
endfunction()

add_executable(zorvane-web flow/main.cpp)
target_link_libraries(zorvane-web PRIVATE zorvane_core)
zorvane_web_program(zorvane-web zorvane)

add_executable(zorvane-web-bench bench/WebBench.cpp bench/Scenes.cpp)
target_link_libraries(zorvane-web-bench PRIVATE zorvane_sim)
zorvane_web_program(zorvane-web-bench bench)

# zorvane-sim itself, run by replay.html with the arguments in the page's address; its --input
# scripts are the golden cycles', under /golden.
add_executable(zorvane-web-replay sim/main.cpp)
target_link_libraries(zorvane-web-replay PRIVATE zorvane_sim)
zorvane_web_program(zorvane-web-replay replay)
file(GLOB ZORVANE_GOLDEN_SCRIPTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/golden/*.in)
foreach(script ${ZORVANE_GOLDEN_SCRIPTS})
  get_filename_component(name ${script} NAME)
  target_link_options(zorvane-web-replay PRIVATE "SHELL:--preload-file ${script}@/golden/${name}")
endforeach()
set_property(TARGET zorvane-web-replay APPEND PROPERTY LINK_DEPENDS ${ZORVANE_GOLDEN_SCRIPTS})
# The page learns the exit status only when the runtime ends with main.
target_link_options(zorvane-web-replay PRIVATE -sEXIT_RUNTIME=1)

foreach(page index.html bench.html replay.html)
  configure_file(${PROJECT_SOURCE_DIR}/web/${page} ${ZORVANE_WEB_DIR}/${page} COPYONLY)
endforeach()
