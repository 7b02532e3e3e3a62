# The game code as one library, for the desktop and the browser alike: the game, the simulator, the
# benchmarks and the tests all link it. plix/PlixPlatform.h has one side for each platform, and the
# browser, which decodes the music itself, has no libogg for PlixOgg.cpp's checks.
file(GLOB ZORVANE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/plix/*.cpp
  ${PROJECT_SOURCE_DIR}/objects/*.cpp
  ${PROJECT_SOURCE_DIR}/flow/*.cpp)
list(REMOVE_ITEM ZORVANE_SOURCES ${PROJECT_SOURCE_DIR}/flow/main.cpp)
if(EMSCRIPTEN)
  list(REMOVE_ITEM ZORVANE_SOURCES
    ${PROJECT_SOURCE_DIR}/plix/PlixDesktop.cpp ${PROJECT_SOURCE_DIR}/plix/PlixOgg.cpp)
else()
  list(REMOVE_ITEM ZORVANE_SOURCES ${PROJECT_SOURCE_DIR}/plix/PlixWeb.cpp)
endif()
add_library(zorvane_core STATIC ${ZORVANE_SOURCES})
target_include_directories(zorvane_core PUBLIC ${PROJECT_SOURCE_DIR})

# Emscripten brings its own SDL; the desktop takes Debian's.
if(NOT EMSCRIPTEN)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SDLMIX REQUIRED IMPORTED_TARGET sdl SDL_mixer)
  # The music's pages and headers are read with libogg before SDL_mixer plays them.
  pkg_check_modules(OGG REQUIRED IMPORTED_TARGET ogg)
  target_link_libraries(zorvane_core PUBLIC PkgConfig::SDLMIX PkgConfig::OGG)
endif()
