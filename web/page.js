// The console the story was written for, on a web page: text in code page 932 decoded by the
// browser, one line of input below it, echoed as a console echoes it, and sent with its line
// feed when Enter is pressed. The keys sent are kept, so that a reload, a reopened tab or a
// browser that dropped the tab shows the same screen again: the story is a function of its keys.
"use strict";

const screenArea = document.getElementById("screen");
const news = document.getElementById("news");
const keysInput = document.getElementById("keys");
const nextButton = document.getElementById("next");
const ended = document.getElementById("ended");
const againButton = document.getElementById("again");
const build = document.querySelector('meta[name="kurenagi-build"]').content;

// Typed text to code page 932, "?" for what it lacks. The table is the browser's own
// Shift_JIS decoder read backwards, made on the first line the player sends.
let encoder = null;

function makeEncoder() {
  const decoder = new TextDecoder("shift_jis");
  const codes = new Map();
  const add = (bytes) => {
    const character = decoder.decode(new Uint8Array(bytes));
    if ([...character].length === 1 && character !== "\uFFFD" && !codes.has(character)) {
      codes.set(character, bytes);
    }
  };
  for (let byte = 0; byte < 0x80; byte++) add([byte]);
  for (let byte = 0xa1; byte <= 0xdf; byte++) add([byte]);
  for (let lead = 0x81; lead <= 0xfc; lead++) {
    if (lead >= 0xa0 && lead < 0xe0) continue;
    for (let trail = 0x40; trail <= 0xfc; trail++) {
      if (trail !== 0x7f) add([lead, trail]);
    }
  }
  return (text) => [...text].flatMap((character) => codes.get(character) || [0x3f]);
}

// What the player sent in this run, in order: lines as typed, null for the end of the input.
// Kept for this build of the page only; anything else found there starts afresh.
const keyLog = {
  name: "kurenagi-keys",
  load() {
    try {
      const kept = JSON.parse(localStorage.getItem(this.name));
      const valid = kept && kept.build === build && Array.isArray(kept.sent) &&
        kept.sent.every((entry) => entry === null || typeof entry === "string");
      if (valid) return kept.sent;
    } catch (damaged) {
      // Not JSON: start afresh.
    }
    this.forget();
    return [];
  },
  save(sent) {
    try {
      localStorage.setItem(this.name, JSON.stringify({ build, sent }));
    } catch (full) {
      // Storage full or forbidden: the run goes on, it just cannot come back.
    }
  },
  forget() {
    try {
      localStorage.removeItem(this.name);
    } catch (forbidden) {
      // Nothing was kept.
    }
  },
};

// What a screen reader should say of new text: the story's words, without the rules of
// underscores and the runs of blank lines that only lay the screen out.
function spoken(text) {
  return text.replace(/＿+/g, "").replace(/\n\s*\n+/g, "\n").trim();
}

function showNewest() {
  screenArea.scrollTop = screenArea.scrollHeight;
}

// One run of the story: what it has shown, and the keys sent that it has not read yet.
class Run {
  constructor(replay) {
    this.decoder = new TextDecoder("shift_jis");
    this.keys = [];
    this.sent = [];
    this.replay = replay;
    this.waiting = null;
    this.inputEnded = false;
  }

  show(bytes) {
    const text = this.decoder.decode(bytes, { stream: true });
    screenArea.append(text);
    const words = spoken(text);
    if (words) news.textContent = words;
    showNewest();
    if (!document.body.dataset.firstText) {
      document.body.dataset.firstText = String(performance.now());
    }
  }

  complain(bytes) {
    ended.firstChild.textContent = new TextDecoder("shift_jis").decode(bytes);
  }

  // Waits until the player has sent something, then hands over at most `size` bytes; none
  // once the player has ended the input. A resumed run is sent its kept keys one wait at a
  // time, as the player sent them.
  keysFor(size) {
    if (this.keys.length === 0 && this.replay.length > 0) this.enter(this.replay.shift());
    return new Promise((resolve) => {
      this.waiting = () => resolve(Uint8Array.from(this.keys.splice(0, size)));
      if (this.keys.length > 0 || this.inputEnded) this.deliver();
    });
  }

  deliver() {
    const waiting = this.waiting;
    this.waiting = null;
    if (waiting) waiting();
  }

  // What the player sends, kept for a later visit.
  type(entry) {
    this.sent.push(entry);
    keyLog.save(this.sent);
    this.enter(entry);
  }

  // A line, echoed as a console echoes it, with its line feed when Enter ended it; or, for
  // null, the end of the input (Ctrl-D, as at a terminal).
  enter(entry) {
    if (entry === null) {
      this.inputEnded = true;
    } else {
      const echo = document.createElement("span");
      echo.className = "echo";
      echo.textContent = entry;
      screenArea.append(echo);
      showNewest();
      encoder = encoder || makeEncoder();
      // One by one: a pasted line may hold more bytes than a call takes arguments.
      for (const byte of encoder(entry)) this.keys.push(byte);
    }
    this.deliver();
  }

  // The story is over: its last line stays in view, the input takes no more keys, and the
  // fresh-run button has the focus.
  end() {
    document.body.dataset.state = "ended";
    ended.hidden = false;
    keysInput.disabled = true;
    nextButton.disabled = true;
    showNewest();
    againButton.focus();
  }
}

let run = null;

function startStory(fresh) {
  if (fresh) keyLog.forget();
  const replay = fresh ? [] : keyLog.load();
  screenArea.textContent = "";
  ended.hidden = true;
  keysInput.disabled = false;
  nextButton.disabled = false;
  delete document.body.dataset.state;
  run = new Run(replay);
  run.sent = replay.slice();
  const current = run;
  createKurenagi({
    page: {
      show: (bytes) => current.show(bytes),
      complain: (bytes) => current.complain(bytes),
      keys: (size) => current.keysFor(size),
      ended: () => current.end(),
    },
  });
  keysInput.focus();
}

function playing() {
  return run && document.body.dataset.state !== "ended";
}

// Enter sends the line, unless it only ends what an input method was composing. Ctrl-D sends
// what is typed without a line feed, or ends the input on an empty line, as at a terminal.
// The keys that scroll a console's window scroll the story.
keysInput.addEventListener("keydown", (event) => {
  const scrolls = { PageUp: -0.9, PageDown: 0.9 };
  if (event.key in scrolls) {
    screenArea.scrollBy(0, scrolls[event.key] * screenArea.clientHeight);
  } else if (event.ctrlKey && (event.key === "Home" || event.key === "End")) {
    screenArea.scrollTop = event.key === "Home" ? 0 : screenArea.scrollHeight;
  } else {
    const enter = event.key === "Enter" && !event.isComposing && event.keyCode !== 229;
    const ctrlD = event.ctrlKey && event.key === "d";
    if (!enter && !ctrlD) return;
    if (playing()) {
      run.type(ctrlD && keysInput.value === "" ? null : keysInput.value + (enter ? "\n" : ""));
    }
    keysInput.value = "";
  }
  event.preventDefault();
});

// For thumbs: one beat per press.
nextButton.addEventListener("click", () => {
  if (playing()) run.type("\n");
});

// A tap or click on the story gives the keys back to the input, unless it selected text.
screenArea.addEventListener("click", () => {
  if (document.getSelection().isCollapsed && playing()) keysInput.focus({ preventScroll: true });
});

// An on-screen keyboard or a turn of the phone changes the visible part of the page: the page
// takes that size, and the newest line stays in view.
if (window.visualViewport) {
  window.visualViewport.addEventListener("resize", () => {
    document.querySelector("main").style.height = `${window.visualViewport.height}px`;
    showNewest();
  });
}

againButton.addEventListener("click", () => startStory(true));

// Once loaded, the page plays without a network.
if ("serviceWorker" in navigator) navigator.serviceWorker.register("sw.js");
