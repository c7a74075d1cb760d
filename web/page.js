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
const choiceButtons = document.getElementById("choices");
const notice = document.getElementById("notice");
const taken = document.getElementById("taken");
const backButton = document.getElementById("back");
const meta = (name) => document.querySelector(`meta[name="kurenagi-${name}"]`).content;
// The compiled story: a kept run comes back only on the story it was played on.
const story = meta("story");
// The build this page belongs to: it runs the game files of this build and of no other.
const build = meta("build");
// This tab, told apart from the browser's other tabs on the page.
const tab = `${Date.now().toString(36)}.${Math.random().toString(36).slice(2)}`;

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
// A browser keeps one run, with the story it was played on and the tab that plays it. A tab
// writes it only while the run is its own, so that a tab left behind never puts its older run
// over a newer one.
const keyLog = {
  name: "kurenagi-keys",
  read() {
    try {
      const kept = JSON.parse(localStorage.getItem(this.name));
      const valid = kept && Array.isArray(kept.sent) &&
        kept.sent.every((entry) => entry === null || typeof entry === "string");
      return valid ? kept : null;
    } catch {
      return null; // not JSON, or no storage at all: start afresh
    }
  },
  // The kept run, if it was played on this story; a run of another story cannot come back.
  load() {
    const kept = this.read();
    if (kept && kept.story === story) return kept.sent;
    if (kept) say("物語が新しくなったので、はじめから始めます。");
    return [];
  },
  ownedElsewhere() {
    const kept = this.read();
    return kept !== null && kept.tab !== tab;
  },
  save(sent) {
    try {
      localStorage.setItem(this.name, JSON.stringify({ story, tab, sent }));
      return true;
    } catch {
      return false; // the storage is full, or there is none
    }
  },
  forget() {
    try {
      localStorage.removeItem(this.name);
    } catch {
      // No storage at all: nothing was kept.
    }
  },
};

// What the page itself has to tell, outside the story.
function say(text) {
  notice.textContent = text;
  notice.hidden = false;
}

// What a screen reader should say of new text: the story's words, without the rules of
// underscores and the runs of blank lines that only lay the screen out.
function spoken(text) {
  return text.replace(/＿+/g, "").replace(/\n\s*\n+/g, "\n").trim();
}

// The newest line stays in view until the player scrolls back: when text comes, when buttons
// or an on-screen keyboard take room from the story, and when a resumed screen is laid out.
let following = true;
let newestTop = 0;

function showNewest() {
  screenArea.scrollTop = screenArea.scrollHeight;
  newestTop = screenArea.scrollTop;
  following = true;
}

screenArea.addEventListener("scroll", () => {
  following = screenArea.scrollTop >= newestTop - 1 ||
    screenArea.scrollTop + screenArea.clientHeight >= screenArea.scrollHeight - 2;
});
const resizes = new ResizeObserver(() => following && showNewest());
resizes.observe(screenArea);

// Whether the player reads with a finger: then the input takes the focus only when tapped, so
// that a phone's keyboard covers the story only while the player types.
let touch = matchMedia("(pointer: coarse)").matches;
document.addEventListener("pointerdown", (event) => {
  touch = event.pointerType !== "mouse";
}, { capture: true });

// Hands `then` to the event loop, which runs it after what waits there: input, painting.
function breathe(then) {
  const channel = new MessageChannel();
  channel.port1.onmessage = () => then();
  channel.port2.postMessage(null);
}

// The choices the story has just shown (its lines "N.text") while it waits for a number, as
// buttons that send the number and Enter, as typing it would; an empty line sent there keeps
// them. The input takes digits there and text elsewhere.
function offerChoices(awaited, text) {
  const choices = awaited === "number" ? [...text.matchAll(/^(\d+)\.(.+)$/gm)] : [];
  if (awaited === "number" && choices.length === 0) return;
  const buttons = choices.map(([choice, number]) => {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = choice;
    button.addEventListener("click", () => playing() && run.type(`${number}\n`));
    return button;
  });
  choiceButtons.replaceChildren(...buttons);
  choiceButtons.hidden = buttons.length === 0;
  keysInput.inputMode = awaited === "number" ? "numeric" : "text";
}

// The story waits for the player: at a beat a reader's keyboard goes away.
function waitingFor(awaited, text) {
  document.body.dataset.awaits = awaited;
  offerChoices(awaited, text);
  if (awaited === "key" && touch) keysInput.blur();
}

// One run of the story: every line sent to it, how many it has been given, and the bytes of
// the current one it has not read yet. A resumed run is given its kept lines one read at a time,
// as the player sent them, and lines sent meanwhile wait behind them. Until the story first
// waits for the player, what it shows is gathered off the page and put there at once.
class Run {
  constructor(sent) {
    this.decoder = new TextDecoder("shift_jis");
    this.sent = sent;
    this.given = 0;
    this.keys = [];
    this.inputEnded = false;
    this.waiting = null;
    this.awaited = "key";
    this.resuming = sent.length > 0 ? document.createDocumentFragment() : null;
    this.breathed = performance.now();
    this.lately = "";
    this.unsaved = false;
    this.taken = false;
  }

  show(bytes) {
    const text = this.decoder.decode(bytes, { stream: true });
    this.lately += text;
    if (this.resuming) {
      this.resuming.append(text);
    } else {
      screenArea.append(text);
      this.reveal(text);
    }
  }

  reveal(text) {
    const words = spoken(text);
    if (words) news.textContent = words;
    showNewest();
    if (!document.body.dataset.firstText) {
      document.body.dataset.firstText = String(performance.now());
    }
  }

  // The resumed screen up to its last line feed goes in blocks of whole lines, each laid out
  // only once it is scrolled to, so that a long run comes back at once; the rest goes on the
  // line the story goes on with.
  resumed() {
    if (!this.resuming) return;
    const nodes = this.resuming.childNodes;
    let last = nodes.length - 1;
    while (last >= 0 && !nodes[last].textContent.includes("\n")) last--;
    if (last >= 0 && nodes[last].nodeType === Node.TEXT_NODE) {
      nodes[last].splitText(nodes[last].textContent.lastIndexOf("\n") + 1);
    }
    const past = document.createDocumentFragment();
    let block = null;
    let inBlock = 0;
    for (let index = 0; index <= last; index++) {
      if (!block) {
        block = past.appendChild(document.createElement("div"));
        block.className = "past";
        resizes.observe(block);
        inBlock = 0;
      }
      const node = block.appendChild(this.resuming.firstChild);
      if (++inBlock >= 400 && node.textContent.endsWith("\n")) block = null;
    }
    screenArea.append(past, this.resuming);
    this.resuming = null;
    this.reveal(this.lately);
    document.body.dataset.resumed = String(performance.now());
  }

  complain(bytes) {
    ended.firstChild.textContent = new TextDecoder("shift_jis").decode(bytes);
  }

  // What the story waits for at its next read: "key", "number" or "word".
  awaits(awaited) {
    this.awaited = awaited;
  }

  waitsFor(awaited) {
    return this.waiting !== null && this.awaited === awaited;
  }

  // Waits until there is something for the story, then hands over at most `size` bytes; none
  // once the input has ended.
  keysFor(size) {
    return new Promise((resolve) => {
      this.waiting = () => resolve(Uint8Array.from(this.keys.splice(0, size)));
      this.feed();
    });
  }

  feed() {
    if (!this.waiting) return;
    // While (not if): a kept empty line gives no bytes, and the next one is due.
    while (this.keys.length === 0 && !this.inputEnded && this.given < this.sent.length) {
      this.enter(this.sent[this.given++]);
    }
    if (this.keys.length === 0 && !this.inputEnded) {
      this.resumed();
      waitingFor(this.awaited, this.lately);
      this.lately = "";
      return;
    }
    const waiting = this.waiting;
    this.waiting = null;
    this.lately = "";
    delete document.body.dataset.awaits;
    // A long resume lets the page take keys and paint every few milliseconds.
    if (this.resuming && performance.now() - this.breathed > 8) {
      this.breathed = performance.now();
      breathe(waiting);
    } else {
      waiting();
    }
  }

  // What the player sends, kept for a later visit while this tab has the run.
  type(entry) {
    if (keyLog.ownedElsewhere()) return takenOver();
    this.sent.push(entry);
    this.keep();
    return this.feed();
  }

  // A run that cannot be kept is not kept at all: a reload then starts afresh, as said,
  // rather than at some older point of the run.
  keep() {
    if (this.unsaved || keyLog.save(this.sent)) return;
    this.unsaved = true;
    keyLog.forget();
    say("続きを保存できませんでした。再読み込みすると、はじめからになります。");
  }

  // A line, echoed as a console echoes it, with its line feed when Enter ended it; or, for
  // null, the end of the input (Ctrl-D, as at a terminal).
  enter(entry) {
    if (entry === null) {
      this.inputEnded = true;
      return;
    }
    const echo = document.createElement("span");
    echo.className = "echo";
    echo.textContent = entry;
    (this.resuming || screenArea).append(echo);
    if (!this.resuming) showNewest();
    encoder = encoder || makeEncoder();
    // One by one: a pasted line may hold more bytes than a call takes arguments.
    for (const byte of encoder(entry)) this.keys.push(byte);
  }

  // The story is over: its last line stays in view, the input takes no more keys, and the
  // fresh-run button has the focus.
  end() {
    this.resumed();
    offerChoices("key", "");
    document.body.dataset.state = "ended";
    ended.hidden = false;
    keysInput.disabled = true;
    nextButton.disabled = true;
    showNewest();
    againButton.focus();
  }
}

let run = null;
// The compiled game of this page's build, fetched once: every run of the page plays it, so a
// build deployed meanwhile reaches the page only when it is loaded again.
let wasmBinary = null;

// Loads the game files this page was built with, each checked against the page's own record;
// a file of another build, a damaged or a missing one, fails the load.
async function loadGame() {
  if (typeof WebAssembly !== "object") throw new Error("no WebAssembly");
  const [jsIntegrity, wasmIntegrity] = meta("game").split(" ");
  const wasm = fetch(`kurenagi.wasm?build=${build}`, { integrity: wasmIntegrity }).then((response) => {
    if (!response.ok) throw new Error(`kurenagi.wasm: ${response.status}`);
    return response.arrayBuffer();
  });
  await new Promise((resolve, reject) => {
    const script = document.createElement("script");
    Object.assign(script, { src: `kurenagi.js?build=${build}`, integrity: jsIntegrity });
    script.addEventListener("load", resolve);
    script.addEventListener("error", () => reject(new Error("kurenagi.js")));
    document.body.append(script);
  });
  wasmBinary = await wasm;
}

// A page without a service worker yet may have been loaded while a new build was deployed, its
// files part old, part new: one load again brings the new build whole. A page that fails twice
// says so, and keeps nothing typed on it.
function failedToLoad(error) {
  console.error(error);
  try {
    if (sessionStorage.getItem("kurenagi-reloaded") !== build) {
      sessionStorage.setItem("kurenagi-reloaded", build);
      location.reload();
      return;
    }
  } catch {
    // No storage: say so at once rather than risk loading for ever.
  }
  cannotStart();
}

// A fresh run, or the one kept in this browser; either way this tab takes the run.
function startStory(fresh) {
  notice.hidden = true;
  taken.hidden = true;
  const sent = fresh ? [] : keyLog.load();
  screenArea.textContent = "";
  ended.hidden = true;
  keysInput.disabled = false;
  nextButton.disabled = false;
  delete document.body.dataset.state;
  delete document.body.dataset.resumed;
  run = new Run(sent);
  run.keep();
  const current = run;
  createKurenagi({
    wasmBinary,
    page: {
      show: (bytes) => current.show(bytes),
      complain: (bytes) => current.complain(bytes),
      awaits: (kind) => current.awaits(["key", "number", "word"][kind]),
      keys: (size) => current.keysFor(size),
      ended: () => current.end(),
    },
  }).catch(failedToLoad);
  if (!touch) keysInput.focus();
}

function playing() {
  return run && !run.taken && document.body.dataset.state !== "ended";
}

// Another tab has taken the run: this one says so, takes no more keys, and offers to take the
// run back as that tab has left it.
function takenOver() {
  if (!playing()) return;
  run.taken = true;
  taken.hidden = false;
  keysInput.disabled = true;
  nextButton.disabled = true;
  offerChoices("key", "");
  backButton.focus();
}

window.addEventListener("storage", (event) => {
  if (event.key === keyLog.name && keyLog.ownedElsewhere()) takenOver();
});
backButton.addEventListener("click", () => startStory(false));

// Lines sent before the game has started wait for it; a page that cannot start drops them.
const early = [];

// Sends what is typed, with `ending` after it: a line feed for Enter, nothing for Ctrl-D (which
// on an empty line ends the input instead, as at a terminal).
function send(ending) {
  const entry = ending === "" && keysInput.value === "" ? null : keysInput.value + ending;
  if (playing()) {
    run.type(entry);
  } else if (!run && !keysInput.disabled) {
    early.push(entry);
  }
  keysInput.value = "";
}

// Enter sends the line, unless it only ends what an input method was composing. The keys that
// scroll a console's window scroll the story.
keysInput.addEventListener("keydown", (event) => {
  const scrolls = { PageUp: -0.9, PageDown: 0.9 };
  if (event.key in scrolls) {
    screenArea.scrollBy(0, scrolls[event.key] * screenArea.clientHeight);
  } else if (event.ctrlKey && (event.key === "Home" || event.key === "End")) {
    screenArea.scrollTop = event.key === "Home" ? 0 : screenArea.scrollHeight;
  } else if (event.key === "Enter" && !event.isComposing && event.keyCode !== 229) {
    send("\n");
  } else if (event.ctrlKey && event.key === "d") {
    send("");
  } else {
    return;
  }
  event.preventDefault();
});

// Keys typed anywhere else on the page go to the input: a character into the line, Enter sends
// it. A focused button keeps Enter and Space for itself.
document.addEventListener("keydown", (event) => {
  if (event.target === keysInput || !playing() || event.ctrlKey || event.metaKey ||
      event.altKey || event.isComposing) return;
  const onButton = event.target.closest("button") && (event.key === "Enter" || event.key === " ");
  const character = [...event.key].length === 1;
  if (onButton || (!character && event.key !== "Enter")) return;
  keysInput.focus({ preventScroll: true });
  if (character) {
    keysInput.setRangeText(event.key, keysInput.selectionStart, keysInput.selectionEnd, "end");
  } else {
    send("\n");
  }
  event.preventDefault();
});

// A press on 次へ or a choice leaves the focus where it was: typing goes on into the input,
// and a tap does not bring up the on-screen keyboard.
document.addEventListener("mousedown", (event) => {
  if (event.target.closest("#next, #choices")) event.preventDefault();
});

// For thumbs: what is typed, or one beat, per press.
nextButton.addEventListener("click", () => send("\n"));

// A tap or click on the story at a beat reads on, as Enter does; a long press, a selection, a
// scroll or a swipe do not. Elsewhere a click gives the keys back to the input, unless an
// on-screen keyboard would come up for it.
let press = null;
screenArea.addEventListener("pointerdown", (event) => {
  press = event.isPrimary && event.button === 0 ? event : null;
});
screenArea.addEventListener("pointercancel", () => {
  press = null;
});
screenArea.addEventListener("pointerup", (event) => {
  const tap = press !== null && event.timeStamp - press.timeStamp < 500 &&
    Math.hypot(event.clientX - press.clientX, event.clientY - press.clientY) < 10;
  press = null;
  if (!tap || !playing() || !document.getSelection().isCollapsed) return;
  if (run.waitsFor("key")) {
    send("\n");
  } else if (!touch) {
    keysInput.focus({ preventScroll: true });
  }
});

// An on-screen keyboard or a turn of the phone changes the visible part of the page: the page
// takes that size.
if (window.visualViewport) {
  window.visualViewport.addEventListener("resize", () => {
    document.querySelector("main").style.height = `${window.visualViewport.height}px`;
  });
}

againButton.addEventListener("click", () => startStory(true));

// Once loaded, the page plays without a network. The worker script is always fetched anew, so
// that a new build reaches the player at the next load, and runs from the one after.
if ("serviceWorker" in navigator && location.protocol !== "file:") {
  const worker = navigator.serviceWorker.controller;
  navigator.serviceWorker.register("sw.js", { updateViaCache: "none" });
  // A newer worker took this page over: a new build is in, for the next load.
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (worker) {
      say("新しい版が届きました。次に開くときから新しい版になります。\n" +
        "A new version is in: it plays from the next load.");
    }
  });
}

loadGame().then(() => {
  startStory(false);
  for (const entry of early.splice(0)) run.type(entry);
}, failedToLoad);
