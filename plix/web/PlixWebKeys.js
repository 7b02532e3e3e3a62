// The keys' JavaScript half (linked with --js-library, read by PlixWebKeys.cpp): the controls that the
// page's touch controls and the gamepads hold, and every key let go when the page is hidden.
var LibraryPlixKeys = {
  $PlixKeys__deps: ["$SDL"],
  $PlixKeys__postset: "PlixKeys.start();",
  $PlixKeys: {
    touchBits: 0,

    start: function () {
      document.addEventListener("visibilitychange", function () {
        if (document.hidden) PlixKeys.release();
      });
      // The page names the controls its fingers hold, by the names of Module.plixControls.
      Module["plixTouch"] = function (names) { PlixKeys.touchBits = PlixKeys.bits(names); };
    },

    // The bits of the named controls, as PlixWebKeys.cpp published them in Module.plixControls.
    bits: function (names) {
      var layout = Module["plixControls"] || {};
      return names.reduce(function (bits, name) { return bits | (layout[name] || 0); }, 0);
    },

    // Every held key up, as if each had been released: the emulation's keyboard and the touch controls.
    release: function () {
      if (SDL.keyboardState) HEAPU8.fill(0, SDL.keyboardState, SDL.keyboardState + 0x10000);
      SDL.keyboardMap = {};
      PlixKeys.touchBits = 0;
      if (Module["onKeysReleased"]) Module["onKeysReleased"]();
    },

    // Every pad the browser lists now, at any time; one that goes away simply holds nothing more.
    // Stick and buttons as SDL would read them: an axis is value * 32767, beyond the threshold.
    padBits: function (threshold) {
      var pads = navigator.getGamepads ? navigator.getGamepads() : [];
      var held = [];
      for (var i = 0; i < pads.length; i++) {
        var pad = pads[i];
        if (!pad || !pad.connected) continue;
        var axis = function (n) { return Math.round((pad.axes[n] || 0) * 32767); };
        var button = function (n) { var b = pad.buttons[n]; return Boolean(b && (b.pressed || b.value > 0.5)); };
        if (axis(1) < -threshold || button(12)) held.push("up");
        if (axis(1) > threshold || button(13)) held.push("down");
        if (axis(0) > threshold || button(15)) held.push("right");
        if (axis(0) < -threshold || button(14)) held.push("left");
        if (button(0)) held.push("z");
        if (button(1)) held.push("x");
      }
      return PlixKeys.bits(held);
    },
  },

  plixHeldControls__deps: ["$PlixKeys"],
  plixHeldControls: function (threshold) {
    return PlixKeys.touchBits | PlixKeys.padBits(threshold);
  },
};

mergeInto(LibraryManager.library, LibraryPlixKeys);
