// The mixer's JavaScript half (linked with --js-library): SDL_mixer's calls over Web Audio, effects on
// eight channels and one music, which the page fetches while the title shows.
var LibraryPlixAudio = {
  $PlixAudio__deps: ["$PlixWeb", "$FS"],
  $PlixAudio__postset: "PlixAudio.start();",
  $PlixAudio: {
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
    afterOpen: [], // decodes that wait for the audio context

    start: function () {
      // A context closed at the end of the run refuses both; that is no fault.
      var ignore = function () {};
      document.addEventListener("visibilitychange", function () {
        var context = PlixAudio.context;
        if (document.hidden) {
          if (context && context.state === "running") context.suspend().catch(ignore);
        } else if (context && context.state === "suspended" && PlixAudio.unlocked) {
          context.resume().catch(ignore);
        }
      });
      var unlock = function () {
        var context = PlixAudio.context;
        if (!context || context.state !== "suspended" || document.hidden) {
          if (context && context.state === "running") PlixAudio.unlocked = true;
          return;
        }
        context.resume().then(function () { PlixAudio.unlocked = true; }, ignore);
      };
      ["keydown", "mousedown", "touchstart", "pointerdown"].forEach(function (type) {
        window.addEventListener(type, unlock, true);
      });
    },

    // --- effects --------------------------------------------------------------------------------
    loadSound: function (name, bytes) {
      var sound = { name: name, buffer: null };
      PlixAudio.sounds.push(sound);
      PlixAudio.context.decodeAudioData(bytes).then(function (buffer) { sound.buffer = buffer; },
        function (e) { PlixWeb.problem(name + ": the browser cannot decode it (" + e + ")"); });
      return PlixAudio.sounds.length - 1;
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
      var music = PlixAudio.musics[name] = { state: "loading", buffer: null, error: "" };
      fetch(name).then(function (response) {
        if (!response.ok) throw new Error(response.status + " " + response.statusText);
        return response.arrayBuffer();
      }).then(function (bytes) {
        PlixAudio.decodeMusic(name, music, bytes);
      }, function (e) {
        PlixAudio.musicFailed(name, music, name + " could not be fetched (" + e.message + "); reload the page, or check the server");
      });
      return music;
    },

    decodeMusic: function (name, music, bytes) {
      var decode = function () {
        PlixAudio.context.decodeAudioData(bytes).then(function (buffer) {
          music.state = "ready";
          music.buffer = buffer;
          Module["plixMusicReady"] = true;
          var playing = PlixAudio.playing;
          if (playing && playing.name === name && !playing.source) PlixAudio.startMusic(playing);
        }, function (e) {
          PlixAudio.musicFailed(name, music, name + " is damaged: the browser cannot decode it (" + e.message +
            "); reload the page, or check the server");
        });
      };
      // The context is made when the game opens the audio, which may come after the bytes.
      if (PlixAudio.context) decode(); else PlixAudio.afterOpen.push(decode);
    },

    musicFailed: function (name, music, text) {
      music.state = "failed";
      music.error = text;
      var playing = PlixAudio.playing;
      if (playing && playing.name === name) PlixAudio.playing = null;
      PlixWeb.problem(text);
    },

    music: function (name) {
      var known = PlixAudio.musics[name];
      if (known) return known;
      var music = PlixAudio.musics[name] = { state: "loading", buffer: null, error: "" };
      var bytes;
      try {
        bytes = FS.readFile(name);
      } catch (e) {
        music.state = "failed";
        music.error = "Couldn't open " + name;
        return music;
      }
      PlixAudio.decodeMusic(name, music, bytes.buffer);
      return music;
    },

    startMusic: function (playing) {
      var context = PlixAudio.context;
      var music = PlixAudio.musics[playing.name];
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
        PlixAudio.fade(playing, 0, 1, playing.fadeInMs / 1000);
      } else {
        playing.fade = { from: 1, to: 1, t0: now, t1: now };
        gain.gain.value = 1;
      }
      source.start(now);
      if (playing.loops > 1) source.stop(now + playing.loops * music.buffer.duration);
      source.onended = function () { if (PlixAudio.playing === playing) PlixAudio.playing = null; };
    },

    // A straight line of the gain from one level to another over seconds, from now.
    fade: function (playing, from, to, seconds) {
      var now = PlixAudio.context.currentTime;
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
      var playing = PlixAudio.playing;
      if (!playing || !playing.source) return 0;
      var f = playing.fade;
      var t = PlixAudio.context.currentTime;
      if (t >= f.t1) return f.to;
      if (t <= f.t0) return f.from;
      return f.from + (f.to - f.from) * (t - f.t0) / (f.t1 - f.t0);
    },

    // Seconds into the music, for the page and its tests.
    position: function () {
      var playing = PlixAudio.playing;
      if (!playing || !playing.source) return 0;
      return PlixAudio.context.currentTime - playing.startedAt;
    },

    loadMusic: function (name) {
      var music = PlixAudio.music(name);
      if (music.state === "failed") {
        PlixWeb.setError(music.error);
        return 0;
      }
      PlixAudio.musicHandles.push(name);
      return PlixAudio.musicHandles.length - 1;
    },

    halt: function () {
      var playing = PlixAudio.playing;
      PlixAudio.playing = null;
      if (playing && playing.source) {
        playing.source.onended = null;
        try { playing.source.stop(); } catch (e) {}
      }
    },
  },

  Mix_OpenAudio__deps: ["$PlixAudio", "Mix_PlayChannelTimed", "Mix_FadeInMusic", "Mix_FadeOutMusic"],
  Mix_OpenAudio: function (frequency, format, channels, chunkSize) {
    PlixAudio.context = new AudioContext();
    for (var i = 0; i < PlixAudio.CHANNELS; i++) PlixAudio.channels.push({ source: null, endsAt: 0 });
    // For the page and its tests: what plays, and the mixer's door for an effect by its handle.
    Module["plixAudio"] = {
      level: PlixAudio.level,
      position: PlixAudio.position,
      gain: function () { return PlixAudio.playing && PlixAudio.playing.gain ? PlixAudio.playing.gain.gain.value : 0; },
      context: PlixAudio.context,
      sounds: PlixAudio.sounds,
      play: function (handle) { return _Mix_PlayChannelTimed(-1, handle, 0, -1); },
      playMusic: function (name, loops, fadeMs) { return _Mix_FadeInMusic(PlixAudio.loadMusic(name), loops, fadeMs); },
      fadeOut: function (ms) { return _Mix_FadeOutMusic(ms); },
    };
    PlixAudio.afterOpen.forEach(function (decode) { decode(); });
    // The music is fetched once the game has its other files and shows its title, not before.
    (Module["plixDeferred"] || []).forEach(function (name) { PlixAudio.fetchMusic(name); });
    return 0;
  },

  Mix_CloseAudio__deps: ["$PlixAudio"],
  Mix_CloseAudio: function () {
    PlixAudio.channels.forEach(PlixAudio.stopChannel);
    PlixAudio.halt();
    if (PlixAudio.context) PlixAudio.context.close();
  },

  Mix_FreeChunk__deps: ["$PlixAudio"],
  Mix_FreeChunk: function (handle) {
    PlixAudio.sounds[handle] = null;
  },

  // The first free channel, or -1 when all are busy or the sound is not decoded yet; either is silent,
  // as with SDL_mixer.
  Mix_PlayChannelTimed__deps: ["$PlixAudio"],
  Mix_PlayChannelTimed: function (channel, handle, loops, ticks) {
    var sound = PlixAudio.sounds[handle];
    if (!sound || !sound.buffer) return -1;
    var now = performance.now();
    if (channel < 0) {
      for (var i = 0; i < PlixAudio.channels.length && channel < 0; i++)
        if (PlixAudio.channels[i].endsAt <= now) channel = i;
      if (channel < 0) return -1;
    }
    var slot = PlixAudio.channels[channel];
    PlixAudio.stopChannel(slot);
    var seconds = loops < 0 ? Infinity : sound.buffer.duration * (loops + 1);
    if (ticks >= 0) seconds = Math.min(seconds, ticks / 1000);
    slot.endsAt = now + seconds * 1000;
    if (PlixAudio.unlocked && PlixAudio.context.state === "running") {
      var source = PlixAudio.context.createBufferSource();
      source.buffer = sound.buffer;
      source.loop = loops !== 0;
      source.connect(PlixAudio.context.destination);
      source.start();
      if (isFinite(seconds) && source.loop) source.stop(PlixAudio.context.currentTime + seconds);
      slot.source = source;
    }
    return channel;
  },

  Mix_HaltChannel__deps: ["$PlixAudio"],
  Mix_HaltChannel: function (channel) {
    if (channel < 0) PlixAudio.channels.forEach(PlixAudio.stopChannel);
    else if (PlixAudio.channels[channel]) PlixAudio.stopChannel(PlixAudio.channels[channel]);
    return 0;
  },

  // A music the page still fetches is taken, and starts when it has arrived.
  Mix_LoadMUS__deps: ["$PlixAudio"],
  Mix_LoadMUS: function (file) {
    return PlixAudio.loadMusic(UTF8ToString(file));
  },

  Mix_FreeMusic__deps: ["$PlixAudio", "Mix_HaltMusic"],
  Mix_FreeMusic: function (handle) {
    var playing = PlixAudio.playing;
    if (playing && playing.handle === handle) PlixAudio.halt();
    PlixAudio.musicHandles[handle] = null;
  },

  Mix_PlayMusic__deps: ["Mix_FadeInMusic"],
  Mix_PlayMusic: function (handle, loops) {
    return _Mix_FadeInMusic(handle, loops, 0);
  },

  Mix_FadeInMusic__deps: ["$PlixAudio"],
  Mix_FadeInMusic: function (handle, loops, ms) {
    var name = PlixAudio.musicHandles[handle];
    if (!name) {
      PlixWeb.setError("no such music");
      return -1;
    }
    PlixAudio.halt();
    var playing = PlixAudio.playing = { handle: handle, name: name, loops: loops, fadeInMs: ms, source: null };
    if (PlixAudio.musics[name].state === "ready") PlixAudio.startMusic(playing);
    return 0;
  },

  Mix_FadeInMusicPos__deps: ["Mix_FadeInMusic"],
  Mix_FadeInMusicPos: function (handle, loops, ms, position) {
    return _Mix_FadeInMusic(handle, loops, ms);
  },

  // As SDL_mixer: from the level the music has now, at the rate that takes full volume to silence
  // in ms, so a fade that meets a fade goes on from where that one stood; then the music halts.
  Mix_FadeOutMusic__deps: ["$PlixAudio"],
  Mix_FadeOutMusic: function (ms) {
    var playing = PlixAudio.playing;
    if (!playing) return 0;
    if (ms <= 0 || !playing.source) {
      PlixAudio.halt();
      return 1;
    }
    var level = PlixAudio.level();
    var seconds = level * ms / 1000;
    PlixAudio.fade(playing, level, 0, seconds);
    playing.source.stop(PlixAudio.context.currentTime + seconds);
    return 1;
  },

  Mix_HaltMusic__deps: ["$PlixAudio"],
  Mix_HaltMusic: function () {
    PlixAudio.halt();
    return 0;
  },

  Mix_PlayingMusic__deps: ["$PlixAudio"],
  Mix_PlayingMusic: function () {
    return PlixAudio.playing ? 1 : 0;
  },
};

mergeInto(LibraryManager.library, LibraryPlixAudio);
