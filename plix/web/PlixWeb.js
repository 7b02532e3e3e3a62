// The browser's half of the media layer (linked with --js-library): SDL_mixer over Web Audio, the
// frame wait's yield, full screen, the page's visibility and the keys that touch and gamepads hold.
var LibraryPlixWeb = {
  $PlixWeb__deps: ["$SDL", "$FS", "$stringToNewUTF8", "free"],
  $PlixWeb__postset: "PlixWeb.start();",
  $PlixWeb: {
    // SDL_mixer's default allocation, which the layer never changes.
    CHANNELS: 8,
    context: null,
    // Effects play only once the player has given the page a key or a touch: a browser keeps the
    // sound off until then, and effects held back would all sound at that moment.
    unlocked: false,
    sounds: [null], // handle: { name, buffer } (buffer null while the browser decodes it)
    channels: [], // { source, endsAt }: busy until endsAt on the page's clock, heard or not
    musics: {}, // by file name: { state: "loading" | "ready" | "failed", buffer, error }
    musicHandles: [null], // handle: the file name
    playing: null, // { name, loops, fadeInMs, source, gain, startedAt, fade: { from, to, t0, t1 } }
    touchBits: 0,
    afterOpen: [], // decodes that wait for the audio context

    start: function () {
      // A context closed at the end of the run refuses both; that is no fault.
      var ignore = function () {};
      document.addEventListener("visibilitychange", function () {
        var context = PlixWeb.context;
        if (document.hidden) {
          PlixWeb.releaseKeys();
          if (context && context.state === "running") context.suspend().catch(ignore);
        } else if (context && context.state === "suspended" && PlixWeb.unlocked) {
          context.resume().catch(ignore);
        }
      });
      var unlock = function () {
        var context = PlixWeb.context;
        if (!context || context.state !== "suspended" || document.hidden) {
          if (context && context.state === "running") PlixWeb.unlocked = true;
          return;
        }
        context.resume().then(function () { PlixWeb.unlocked = true; }, ignore);
      };
      ["keydown", "mousedown", "touchstart", "pointerdown"].forEach(function (type) {
        window.addEventListener(type, unlock, true);
      });
      // In full screen the browser takes Escape to leave it; the game never sees that Escape.
      window.addEventListener("keydown", function (e) {
        if (e.key === "Escape" && PlixWeb.isFullScreen()) {
          e.stopImmediatePropagation();
          e.preventDefault();
          document.exitFullscreen();
        }
      }, true);
      Module["plixTouch"] = function (bits) { PlixWeb.touchBits = bits; };
    },

    // Every held key up, as if each had been released: the emulation's keyboard and the touch controls.
    releaseKeys: function () {
      if (SDL.keyboardState) HEAPU8.fill(0, SDL.keyboardState, SDL.keyboardState + 0x10000);
      SDL.keyboardMap = {};
      PlixWeb.touchBits = 0;
      if (Module["onKeysReleased"]) Module["onKeysReleased"]();
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

    // Bits in the order of VIRTUAL_KEYS in PlixWeb.cpp: up, down, right, left, z, x.
    virtualKeys: function (threshold) {
      return PlixWeb.touchBits | PlixWeb.padBits(threshold);
    },

    // Every pad the browser lists now, at any time; one that goes away simply holds nothing more.
    // Stick and buttons as SDL would read them: an axis is value * 32767, beyond the threshold.
    padBits: function (threshold) {
      var pads = navigator.getGamepads ? navigator.getGamepads() : [];
      var bits = 0;
      for (var i = 0; i < pads.length; i++) {
        var pad = pads[i];
        if (!pad || !pad.connected) continue;
        var axis = function (n) { return Math.round((pad.axes[n] || 0) * 32767); };
        var button = function (n) { var b = pad.buttons[n]; return Boolean(b && (b.pressed || b.value > 0.5)); };
        if (axis(1) < -threshold || button(12)) bits |= 1;
        if (axis(1) > threshold || button(13)) bits |= 2;
        if (axis(0) > threshold || button(15)) bits |= 4;
        if (axis(0) < -threshold || button(14)) bits |= 8;
        if (button(0)) bits |= 16;
        if (button(1)) bits |= 32;
      }
      return bits;
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

    // --- effects --------------------------------------------------------------------------------
    loadSound: function (name, bytes) {
      var sound = { name: name, buffer: null };
      PlixWeb.sounds.push(sound);
      PlixWeb.context.decodeAudioData(bytes).then(function (buffer) { sound.buffer = buffer; },
        function (e) { PlixWeb.problem(name + ": the browser cannot decode it (" + e + ")"); });
      return PlixWeb.sounds.length - 1;
    },

    stopChannel: function (channel) {
      if (channel.source) {
        try { channel.source.stop(); } catch (e) {}
        channel.source = null;
      }
      channel.endsAt = 0;
    },

    // --- music ----------------------------------------------------------------------------------
    fetchMusic: function (name) {
      var music = PlixWeb.musics[name] = { state: "loading", buffer: null, error: "" };
      fetch(name).then(function (response) {
        if (!response.ok) throw new Error(response.status + " " + response.statusText);
        return response.arrayBuffer();
      }).then(function (bytes) {
        PlixWeb.decodeMusic(name, music, bytes);
      }, function (e) {
        PlixWeb.musicFailed(name, music, name + " could not be fetched (" + e.message + "); reload the page, or check the server");
      });
      return music;
    },

    decodeMusic: function (name, music, bytes) {
      var decode = function () {
        PlixWeb.context.decodeAudioData(bytes).then(function (buffer) {
          music.state = "ready";
          music.buffer = buffer;
          Module["plixMusicReady"] = true;
          var playing = PlixWeb.playing;
          if (playing && playing.name === name && !playing.source) PlixWeb.startMusic(playing);
        }, function (e) {
          PlixWeb.musicFailed(name, music, name + " is damaged: the browser cannot decode it (" + e.message +
            "); reload the page, or check the server");
        });
      };
      // The context is made when the game opens the audio, which may come after the bytes.
      if (PlixWeb.context) decode(); else PlixWeb.afterOpen.push(decode);
    },

    musicFailed: function (name, music, text) {
      music.state = "failed";
      music.error = text;
      var playing = PlixWeb.playing;
      if (playing && playing.name === name) PlixWeb.playing = null;
      PlixWeb.problem(text);
    },

    music: function (name) {
      var known = PlixWeb.musics[name];
      if (known) return known;
      var music = PlixWeb.musics[name] = { state: "loading", buffer: null, error: "" };
      var bytes;
      try {
        bytes = FS.readFile(name);
      } catch (e) {
        music.state = "failed";
        music.error = "Couldn't open " + name;
        return music;
      }
      PlixWeb.decodeMusic(name, music, bytes.buffer);
      return music;
    },

    startMusic: function (playing) {
      var context = PlixWeb.context;
      var music = PlixWeb.musics[playing.name];
      var source = context.createBufferSource();
      source.buffer = music.buffer;
      // SDL_mixer plays once for loops 0 and 1, loops times above that, and for ever for -1.
      source.loop = playing.loops !== 0 && playing.loops !== 1;
      var gain = context.createGain();
      source.connect(gain);
      gain.connect(context.destination);
      var now = context.currentTime;
      playing.source = source;
      playing.gain = gain;
      playing.startedAt = now;
      if (playing.fadeInMs > 0) {
        PlixWeb.fade(playing, 0, 1, playing.fadeInMs / 1000);
      } else {
        playing.fade = { from: 1, to: 1, t0: now, t1: now };
        gain.gain.value = 1;
      }
      source.start(now);
      if (playing.loops > 1) source.stop(now + playing.loops * music.buffer.duration);
      source.onended = function () { if (PlixWeb.playing === playing) PlixWeb.playing = null; };
    },

    // A straight line of the gain from one level to another over seconds, from now.
    fade: function (playing, from, to, seconds) {
      var now = PlixWeb.context.currentTime;
      var gain = playing.gain.gain;
      gain.cancelScheduledValues(now);
      // The value at once as well: what the param reports lags its schedule by a render quantum.
      gain.value = from;
      gain.setValueAtTime(from, now);
      gain.linearRampToValueAtTime(to, now + seconds);
      playing.fade = { from: from, to: to, t0: now, t1: now + seconds };
    },

    // The music's level now, 0 to 1.
    level: function () {
      var playing = PlixWeb.playing;
      if (!playing || !playing.source) return 0;
      var f = playing.fade;
      var t = PlixWeb.context.currentTime;
      if (t >= f.t1) return f.to;
      if (t <= f.t0) return f.from;
      return f.from + (f.to - f.from) * (t - f.t0) / (f.t1 - f.t0);
    },

    // Seconds into the music, for the page and its tests.
    position: function () {
      var playing = PlixWeb.playing;
      if (!playing || !playing.source) return 0;
      return PlixWeb.context.currentTime - playing.startedAt;
    },

    loadMusic: function (name) {
      var music = PlixWeb.music(name);
      if (music.state === "failed") {
        PlixWeb.setError(music.error);
        return 0;
      }
      PlixWeb.musicHandles.push(name);
      return PlixWeb.musicHandles.length - 1;
    },

    halt: function () {
      var playing = PlixWeb.playing;
      PlixWeb.playing = null;
      if (playing && playing.source) {
        playing.source.onended = null;
        try { playing.source.stop(); } catch (e) {}
      }
    },
  },

  Mix_OpenAudio__deps: ["$PlixWeb", "Mix_PlayChannelTimed", "Mix_FadeInMusic", "Mix_FadeOutMusic"],
  Mix_OpenAudio: function (frequency, format, channels, chunkSize) {
    PlixWeb.context = new AudioContext();
    for (var i = 0; i < PlixWeb.CHANNELS; i++) PlixWeb.channels.push({ source: null, endsAt: 0 });
    // For the page and its tests: what plays, and the mixer's door for an effect by its handle.
    Module["plixAudio"] = {
      level: PlixWeb.level,
      position: PlixWeb.position,
      gain: function () { return PlixWeb.playing && PlixWeb.playing.gain ? PlixWeb.playing.gain.gain.value : 0; },
      context: PlixWeb.context,
      sounds: PlixWeb.sounds,
      play: function (handle) { return _Mix_PlayChannelTimed(-1, handle, 0, -1); },
      playMusic: function (name, loops, fadeMs) { return _Mix_FadeInMusic(PlixWeb.loadMusic(name), loops, fadeMs); },
      fadeOut: function (ms) { return _Mix_FadeOutMusic(ms); },
    };
    PlixWeb.afterOpen.forEach(function (decode) { decode(); });
    // The music is fetched once the game has its other files and shows its title, not before.
    (Module["plixDeferred"] || []).forEach(function (name) { PlixWeb.fetchMusic(name); });
    return 0;
  },

  Mix_CloseAudio__deps: ["$PlixWeb"],
  Mix_CloseAudio: function () {
    PlixWeb.channels.forEach(PlixWeb.stopChannel);
    PlixWeb.halt();
    if (PlixWeb.context) PlixWeb.context.close();
  },

  Mix_FreeChunk__deps: ["$PlixWeb"],
  Mix_FreeChunk: function (handle) {
    PlixWeb.sounds[handle] = null;
  },

  // The first free channel, or -1 when all are busy or the sound is not decoded yet; either is silent,
  // as with SDL_mixer.
  Mix_PlayChannelTimed__deps: ["$PlixWeb"],
  Mix_PlayChannelTimed: function (channel, handle, loops, ticks) {
    var sound = PlixWeb.sounds[handle];
    if (!sound || !sound.buffer) return -1;
    var now = performance.now();
    if (channel < 0) {
      for (var i = 0; i < PlixWeb.channels.length && channel < 0; i++)
        if (PlixWeb.channels[i].endsAt <= now) channel = i;
      if (channel < 0) return -1;
    }
    var slot = PlixWeb.channels[channel];
    PlixWeb.stopChannel(slot);
    var seconds = loops < 0 ? Infinity : sound.buffer.duration * (loops + 1);
    if (ticks >= 0) seconds = Math.min(seconds, ticks / 1000);
    slot.endsAt = now + seconds * 1000;
    if (PlixWeb.unlocked && PlixWeb.context.state === "running") {
      var source = PlixWeb.context.createBufferSource();
      source.buffer = sound.buffer;
      source.loop = loops !== 0;
      source.connect(PlixWeb.context.destination);
      source.start();
      if (isFinite(seconds) && source.loop) source.stop(PlixWeb.context.currentTime + seconds);
      slot.source = source;
    }
    return channel;
  },

  Mix_HaltChannel__deps: ["$PlixWeb"],
  Mix_HaltChannel: function (channel) {
    if (channel < 0) PlixWeb.channels.forEach(PlixWeb.stopChannel);
    else if (PlixWeb.channels[channel]) PlixWeb.stopChannel(PlixWeb.channels[channel]);
    return 0;
  },

  // A music the page still fetches is taken, and starts when it has arrived.
  Mix_LoadMUS__deps: ["$PlixWeb"],
  Mix_LoadMUS: function (file) {
    return PlixWeb.loadMusic(UTF8ToString(file));
  },

  Mix_FreeMusic__deps: ["$PlixWeb", "Mix_HaltMusic"],
  Mix_FreeMusic: function (handle) {
    var playing = PlixWeb.playing;
    if (playing && playing.handle === handle) PlixWeb.halt();
    PlixWeb.musicHandles[handle] = null;
  },

  Mix_PlayMusic__deps: ["Mix_FadeInMusic"],
  Mix_PlayMusic: function (handle, loops) {
    return _Mix_FadeInMusic(handle, loops, 0);
  },

  Mix_FadeInMusic__deps: ["$PlixWeb"],
  Mix_FadeInMusic: function (handle, loops, ms) {
    var name = PlixWeb.musicHandles[handle];
    if (!name) {
      PlixWeb.setError("no such music");
      return -1;
    }
    PlixWeb.halt();
    var playing = PlixWeb.playing = { handle: handle, name: name, loops: loops, fadeInMs: ms, source: null };
    if (PlixWeb.musics[name].state === "ready") PlixWeb.startMusic(playing);
    return 0;
  },

  Mix_FadeInMusicPos__deps: ["Mix_FadeInMusic"],
  Mix_FadeInMusicPos: function (handle, loops, ms, position) {
    return _Mix_FadeInMusic(handle, loops, ms);
  },

  // As SDL_mixer: from the level the music has now, at the rate that takes full volume to silence
  // in ms, so a fade that meets a fade goes on from where that one stood; then the music halts.
  Mix_FadeOutMusic__deps: ["$PlixWeb"],
  Mix_FadeOutMusic: function (ms) {
    var playing = PlixWeb.playing;
    if (!playing) return 0;
    if (ms <= 0 || !playing.source) {
      PlixWeb.halt();
      return 1;
    }
    var level = PlixWeb.level();
    var seconds = level * ms / 1000;
    PlixWeb.fade(playing, level, 0, seconds);
    playing.source.stop(PlixWeb.context.currentTime + seconds);
    return 1;
  },

  Mix_HaltMusic__deps: ["$PlixWeb"],
  Mix_HaltMusic: function () {
    PlixWeb.halt();
    return 0;
  },

  Mix_PlayingMusic__deps: ["$PlixWeb"],
  Mix_PlayingMusic: function () {
    return PlixWeb.playing ? 1 : 0;
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
