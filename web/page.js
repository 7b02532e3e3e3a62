// ZORVANE's page: the field at a crisp whole scale, keys only for the focused picture, the touch
// controls, the loading bar, failures said in words, the offline copy, and the games it records.
"use strict";

var zorvanePage = (function () {
  const canvas = document.getElementById("canvas");
  const stage = document.getElementById("stage");
  const status = document.getElementById("status");
  const hint = document.getElementById("hint");
  const problem = document.getElementById("problem");
  const loading = document.getElementById("loading");
  const progress = document.getElementById("progress");
  const bytes = document.getElementById("bytes");
  const wide = new URLSearchParams(location.search).has("wide");
  const touchScreen = window.matchMedia("(pointer: coarse)").matches || navigator.maxTouchPoints > 0;
  if (touchScreen) {
    document.body.classList.add("touch");
    hint.textContent = "Tap Z to start.";
  }
  // Room the touch controls take beside the field in landscape, or under it in portrait.
  const CONTROLS = 150;
  let failed = false;

  // The field is the canvas as the game sized it; the page shows no canvas before.
  function fit() {
    if (!canvas.hasAttribute("width")) return;
    let room;
    if (document.fullscreenElement === stage) {
      room = { w: stage.clientWidth, h: stage.clientHeight };
    } else if (touchScreen && window.innerWidth > window.innerHeight) {
      room = { w: window.innerWidth - 2 * CONTROLS - 16, h: window.innerHeight - 16 };
    } else if (touchScreen) {
      room = { w: window.innerWidth - 16, h: window.innerHeight - CONTROLS - 16 };
    } else {
      room = { w: window.innerWidth - 16, h: window.innerHeight - 16 };
    }
    showCrisp(canvas, room);
  }
  // Once the game has sized the canvas it has the keyboard, but on a touch screen.
  let sized = false;
  new MutationObserver(() => {
    fit();
    if (!sized && !touchScreen) canvas.focus();
    sized = true;
  }).observe(canvas, { attributeFilter: ["width", "height"] });
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", () => {
    fit();
    canvas.focus();
  });
  canvas.addEventListener("mousedown", () => canvas.focus());

  // A key goes down for the game only while the canvas has the focus, so the page scrolls and types
  // as usual otherwise. Releases always reach it.
  for (const type of ["keydown", "keypress"]) {
    window.addEventListener(type, (e) => { if (document.activeElement !== canvas) e.stopImmediatePropagation(); }, true);
  }
  // The hint stays until the player has clicked, touched or pushed a key.
  for (const type of ["keydown", "mousedown", "touchstart"]) {
    window.addEventListener(type, () => { hint.hidden = true; }, { capture: true, once: true });
  }

  // --- failures, said in words --------------------------------------------------------------
  const ADVICE = "Reload the page; if it fails again, the server lacks the file or sends it damaged.";
  function fail(text) {
    if (failed) return;
    failed = true;
    loading.hidden = true;
    hint.hidden = true;
    status.textContent = "The game cannot start.";
    problem.textContent = text;
    problem.hidden = false;
  }
  function missing(file, why) {
    fail(`${file} could not be loaded${why ? ` (${why})` : ""}. ${ADVICE}`);
  }
  // The runtime's own failures name what they met in words of their own; these name the file.
  function explain(what) {
    const text = String(what && what.message ? what.message : what);
    const file = ["zorvane.data", "zorvane.wasm", "zorvane.js"].find((f) => text.includes(f)) ||
                 (/wasm|WebAssembly/i.test(text) ? "zorvane.wasm" : "");
    if (!file) return false;
    // Newer runtimes give a failed fetch as its HTTP status and address: "404: http://…".
    const fetchFailed = /Not Found|NetworkError|failed to load|fetching of the wasm failed|status|\b[45]\d\d: /i.test(text);
    if (fetchFailed) missing(file, text.slice(0, 120));
    else fail(`${file} is damaged: the browser cannot use it (${text.slice(0, 120)}). ${ADVICE}`);
    return true;
  }
  window.addEventListener("error", (e) => { if (explain(e.error || e.message)) e.preventDefault(); });
  window.addEventListener("unhandledrejection", (e) => { if (explain(e.reason)) e.preventDefault(); });

  // --- touch controls: a stick, Z and X, each finger on its own ------------------------------
  // They hold the game's controls by the names the media layer gives them (Module.plixControls).
  const DEAD = 14; // CSS pixels of drag the stick ignores
  const SECTOR = Math.cos((67.5 * Math.PI) / 180); // eight directions, 45 degrees each
  const held = { stick: null, stickControls: [], z: new Set(), x: new Set() };
  const knob = document.getElementById("touch-knob");
  const stick = document.getElementById("touch-stick");
  function publish() {
    const controls = held.stickControls.concat(held.z.size ? ["z"] : [], held.x.size ? ["x"] : []);
    if (window.Module && Module.plixTouch) Module.plixTouch(controls);
    document.getElementById("touch-z").classList.toggle("held", held.z.size > 0);
    document.getElementById("touch-x").classList.toggle("held", held.x.size > 0);
    stick.classList.toggle("held", held.stick !== null);
  }
  function steer(touch) {
    const box = stick.getBoundingClientRect();
    const dx = touch.clientX - (box.left + box.width / 2);
    const dy = touch.clientY - (box.top + box.height / 2);
    const length = Math.hypot(dx, dy);
    const controls = [];
    if (length > DEAD) {
      if (dx / length > SECTOR) controls.push("right");
      if (dx / length < -SECTOR) controls.push("left");
      if (dy / length > SECTOR) controls.push("down");
      if (dy / length < -SECTOR) controls.push("up");
    }
    held.stickControls = controls;
    const reach = Math.min(length, box.width / 2 - 26) / (length || 1);
    knob.style.transform = `translate(${dx * reach}px, ${dy * reach}px)`;
  }
  stick.addEventListener("touchstart", (e) => {
    e.preventDefault();
    if (held.stick === null) {
      held.stick = e.changedTouches[0].identifier;
      steer(e.changedTouches[0]);
    }
    publish();
  }, { passive: false });
  stick.addEventListener("touchmove", (e) => {
    e.preventDefault();
    for (const t of e.changedTouches) if (t.identifier === held.stick) steer(t);
    publish();
  }, { passive: false });
  const letGoStick = (e) => {
    e.preventDefault();
    for (const t of e.changedTouches) {
      if (t.identifier !== held.stick) continue;
      held.stick = null;
      held.stickControls = [];
      knob.style.transform = "";
    }
    publish();
  };
  stick.addEventListener("touchend", letGoStick, { passive: false });
  stick.addEventListener("touchcancel", letGoStick, { passive: false });
  for (const name of ["z", "x"]) {
    const button = document.getElementById(`touch-${name}`);
    button.addEventListener("touchstart", (e) => {
      e.preventDefault();
      for (const t of e.changedTouches) held[name].add(t.identifier);
      publish();
    }, { passive: false });
    const letGo = (e) => {
      e.preventDefault();
      for (const t of e.changedTouches) held[name].delete(t.identifier);
      publish();
    };
    button.addEventListener("touchend", letGo, { passive: false });
    button.addEventListener("touchcancel", letGo, { passive: false });
  }
  // A hidden page lets every key go; the fingers that held them count for nothing after it.
  function releaseTouches() {
    held.stick = null;
    held.stickControls = [];
    held.z.clear();
    held.x.clear();
    knob.style.transform = "";
    publish();
  }

  return { missing, fail, explain, releaseTouches, wide };
})();

var Module = {
  canvas: document.getElementById("canvas"),
  arguments: zorvanePage.wide ? ["wide"] : [],
  // The media layer decodes its sounds itself, from the bytes it has checked.
  noAudioDecoding: true,
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  setStatus: (text) => {
    const status = document.getElementById("status");
    const loading = document.getElementById("loading");
    if (document.getElementById("problem").hidden === false) return;
    const got = /\((\d+)\/(\d+)\)/.exec(text);
    if (got) {
      const kB = (n) => Math.round(Number(n) / 1000);
      document.getElementById("progress").max = Number(got[2]);
      document.getElementById("progress").value = Number(got[1]);
      document.getElementById("bytes").textContent = `${kB(got[1])} of ${kB(got[2])} kB`;
      status.textContent = "Loading the game's pictures and sounds…";
    } else if (text) {
      status.textContent = "Starting…";
    } else {
      loading.hidden = true;
    }
  },
  onRuntimeInitialized: () => {
    document.getElementById("loading").hidden = true;
    document.getElementById("status").textContent = "";
    document.getElementById("hint").hidden = false;
    zorvaneReplays.follow(document.getElementById("replays"));
    keepOffline();
  },
  onRunLog: (line) => {
    document.getElementById("runlog").textContent = line;
    document.getElementById("status").textContent = "The game has ended; reload the page to play again.";
  },
  onKeysReleased: () => zorvanePage.releaseTouches(),
  // A file the game loads as it plays (the music) that cannot be had.
  onProblem: (text) => {
    const problem = document.getElementById("problem");
    problem.textContent = text;
    problem.hidden = false;
  },
  onAbort: (what) => {
    if (!zorvanePage.explain(what)) zorvanePage.fail(`The game stopped: ${what}`);
  },
};
