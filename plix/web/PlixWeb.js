// The port's JavaScript where it meets the page (linked with --js-library, called from the port's
// C++): the frame wait's yield, waiting while the page is hidden, full screen and the painting.
var LibraryPlixWeb = {
  $PlixWeb__deps: ["$SDL", "$stringToNewUTF8", "free"],
  $PlixWeb__postset: "PlixWeb.start();",
  $PlixWeb: {
    start: function () {
      // In full screen the browser takes Escape to leave it; the game never sees that Escape.
      window.addEventListener("keydown", function (e) {
        if (e.key === "Escape" && PlixWeb.isFullScreen()) {
          e.stopImmediatePropagation();
          e.preventDefault();
          document.exitFullscreen();
        }
      }, true);
    },

    shown: function () {
      return new Promise(function (done) {
        var look = function () {
          if (document.hidden) return;
          document.removeEventListener("visibilitychange", look);
          done();
        };
        document.addEventListener("visibilitychange", look);
        look();
      });
    },

    // A message to the page comes back as soon as the browser has run what waits, with no timer's
    // 4 ms clamp; a timer serves for the rest of a long wait.
    port: null,
    yieldFor: function (remainingMs) {
      return new Promise(function (done) {
        if (remainingMs > 6) {
          setTimeout(done, remainingMs - 2);
          return;
        }
        if (!PlixWeb.port) {
          var channel = new MessageChannel();
          channel.port1.onmessage = function () { var d = PlixWeb.waiting; PlixWeb.waiting = null; d(); };
          PlixWeb.port = channel.port2;
        }
        PlixWeb.waiting = done;
        PlixWeb.port.postMessage(0);
      });
    },

    isFullScreen: function () {
      var element = document.fullscreenElement;
      return Boolean(element && element.contains(Module["canvas"]));
    },

    // The canvas's parent goes full screen, so that the page can centre the field in it.
    setFullScreen: function (on) {
      if (on === PlixWeb.isFullScreen()) return;
      if (on) {
        var target = Module["canvas"].parentElement;
        var request = target.requestFullscreen({ navigationUI: "hide" });
        if (request && request.catch) request.catch(function () {});
      } else if (document.fullscreenElement) {
        document.exitFullscreen().catch(function () {});
      }
    },

    image: null,
    paint: function (pixels, w, h) {
      var image = PlixWeb.image;
      if (!image || image.data.buffer !== HEAPU8.buffer || image.width !== w || image.height !== h) {
        image = PlixWeb.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h);
        PlixWeb.context2d = Module["canvas"].getContext("2d");
      }
      PlixWeb.context2d.putImageData(image, 0, 0);
    },

    setError: function (text) {
      if (SDL.errorMessage) _free(SDL.errorMessage);
      SDL.errorMessage = stringToNewUTF8(text);
    },

    problem: function (text) {
      if (Module["onProblem"]) Module["onProblem"](text);
    },
  },

  // F10: the pointer hidden over the picture, or shown again.
  SDL_ShowCursor__deps: ["$PlixWeb"],
  SDL_ShowCursor: function (toggle) {
    var style = Module["canvas"].style;
    if (toggle === 0) style.cursor = "none";
    else if (toggle === 1) style.cursor = "";
    return style.cursor === "none" ? 0 : 1;
  },
};

mergeInto(LibraryManager.library, LibraryPlixWeb);
