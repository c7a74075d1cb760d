// Keeps the page's files, so that once loaded the page plays with no network. Each build has
// a cache of its own, filled from the server past the browser's HTTP cache (which may hold the
// files of an older build), and throws the older ones away.
"use strict";

const cacheName = "kurenagi-@KURENAGI_BUILD@";
const files = ["./", "index.html", "page.js", "kurenagi.js", "kurenagi.wasm",
  "manifest.webmanifest", "icon.svg", "icon-192.png", "icon-512.png"];

self.addEventListener("install", (event) => {
  const fresh = files.map((file) => new Request(file, { cache: "reload" }));
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(fresh))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((kept) => kept || fetch(event.request)));
});
