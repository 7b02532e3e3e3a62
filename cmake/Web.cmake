# The browser build (emcmake cmake): the game as zorvane.js, .wasm and .data beside our own page in
# <build>/web, and the frame benchmark as bench.js beside bench.html. Driven by scripts/web.sh.
set(ZORVANE_WEB_DIR ${PROJECT_BINARY_DIR}/web)

# The simulator's library, for the benchmark and the replays.
add_subdirectory(sim EXCLUDE_FROM_ALL)

# ASYNCIFY lets the frame wait hand control back to the browser, so the blocking loop stays as it
# is. The preload plugins have the browser decode the BMPs before main(); the sounds are decoded by
# the media layer's own mixer (plix/web/PlixWebAudio.js), from the bytes it has checked.
file(GLOB ZORVANE_WEB_LIBRARY CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/plix/web/*.js)
list(TRANSFORM ZORVANE_WEB_LIBRARY PREPEND "SHELL:--js-library " OUTPUT_VARIABLE ZORVANE_WEB_LIBRARY_OPTIONS)
set(ZORVANE_WEB_LINK
  -sASYNCIFY -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 ${ZORVANE_WEB_LIBRARY_OPTIONS}
  --use-preload-plugins --preload-file ${PROJECT_SOURCE_DIR}/resource@/resource)

file(GLOB_RECURSE ZORVANE_RESOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resource/*)

function(zorvane_web_program target output)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${output} SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${ZORVANE_WEB_DIR})
  target_link_options(${target} PRIVATE ${ZORVANE_WEB_LINK})
  # The resources are packed at link time.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${ZORVANE_RESOURCES} ${ZORVANE_WEB_LIBRARY})
endfunction()

add_executable(zorvane-web flow/main.cpp)
target_link_libraries(zorvane-web PRIVATE game plix)
zorvane_web_program(zorvane-web zorvane)

# The game's music is most of its download: it stays out of zorvane.data, so the title shows as soon
# as the rest has come, and the page fetches it while the title shows (Module.plixDeferred).
file(GLOB_RECURSE ZORVANE_MUSIC CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/resource/*.ogg)
set(ZORVANE_DEFERRED_JS ${PROJECT_BINARY_DIR}/deferred.js)
set(deferred "")
foreach(music ${ZORVANE_MUSIC})
  configure_file(${PROJECT_SOURCE_DIR}/${music} ${ZORVANE_WEB_DIR}/${music} COPYONLY)
  list(APPEND deferred "\"${music}\"")
endforeach()
list(JOIN deferred ", " deferred)
file(WRITE ${ZORVANE_DEFERRED_JS} "Module[\"plixDeferred\"] = [${deferred}];\n")
list(TRANSFORM ZORVANE_MUSIC PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE ZORVANE_MUSIC_FILES)
target_link_options(zorvane-web PRIVATE "SHELL:--exclude-file *.ogg" "SHELL:--pre-js ${ZORVANE_DEFERRED_JS}")

add_executable(zorvane-web-bench bench/WebBench.cpp bench/Scenes.cpp)
target_link_libraries(zorvane-web-bench PRIVATE sim game plix)
zorvane_room(zorvane-web-bench PRIVATE bench)
zorvane_web_program(zorvane-web-bench bench)

# zorvane-sim itself, run by replay.html with the arguments in the page's address; its --input
# scripts are the golden cycles', under /golden.
add_executable(zorvane-web-replay sim/main.cpp)
target_link_libraries(zorvane-web-replay PRIVATE sim plix)
zorvane_web_program(zorvane-web-replay replay)
file(GLOB ZORVANE_GOLDEN_SCRIPTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/golden/*.in)
foreach(script ${ZORVANE_GOLDEN_SCRIPTS})
  get_filename_component(name ${script} NAME)
  target_link_options(zorvane-web-replay PRIVATE "SHELL:--preload-file ${script}@/golden/${name}")
endforeach()
set_property(TARGET zorvane-web-replay APPEND PROPERTY LINK_DEPENDS ${ZORVANE_GOLDEN_SCRIPTS})
# The page learns the exit status only when the runtime ends with main.
target_link_options(zorvane-web-replay PRIVATE -sEXIT_RUNTIME=1)

set(ZORVANE_PAGES index.html page.js page.css manifest.webmanifest bench.html replay.html)
foreach(page ${ZORVANE_PAGES})
  configure_file(${PROJECT_SOURCE_DIR}/web/${page} ${ZORVANE_WEB_DIR}/${page} COPYONLY)
endforeach()
# The favicon and the installed page's icons are the desktop's own.
file(GLOB ZORVANE_ICONS ${PROJECT_SOURCE_DIR}/packaging/icons/zorvane-*.png)
foreach(icon ${ZORVANE_ICONS})
  get_filename_component(name ${icon} NAME)
  configure_file(${icon} ${ZORVANE_WEB_DIR}/icons/${name} COPYONLY)
endforeach()

# The offline copy: a service worker that names this very build (zorvane-web-page builds the game too).
add_custom_command(OUTPUT ${ZORVANE_WEB_DIR}/sw.js
  COMMAND node ${PROJECT_SOURCE_DIR}/web/offline.mjs ${PROJECT_SOURCE_DIR}/web/sw.js ${ZORVANE_WEB_DIR}
  DEPENDS zorvane-web ${PROJECT_SOURCE_DIR}/web/offline.mjs ${PROJECT_SOURCE_DIR}/web/sw.js
          ${ZORVANE_ICONS} ${ZORVANE_MUSIC_FILES}
          ${PROJECT_SOURCE_DIR}/web/index.html ${PROJECT_SOURCE_DIR}/web/page.js ${PROJECT_SOURCE_DIR}/web/page.css
          ${PROJECT_SOURCE_DIR}/web/manifest.webmanifest
  COMMENT "The offline copy's service worker"
  VERBATIM)
add_custom_target(zorvane-web-page DEPENDS ${ZORVANE_WEB_DIR}/sw.js)
