// Keeps the page's files, so that once loaded the page plays with no network. Each build has
// a cache of its own, filled from the server past the browser's HTTP cache (which may hold the
// files of an older build), each file checked: a build deployed meanwhile fails the install,
// and the next load tries the newer worker. A page asks for its scripts and its game by its
// build, and gets that build's files even once a newer worker has taken over: a page that was
// loading while a new build came never mixes the two.
"use strict";

const cacheName = "kurenagi-@KURENAGI_BUILD@";
// Every file of the build with its integrity: a worker keeps its own build whole, or nothing.
const files = { "@KURENAGI_FILES@": "" };

self.addEventListener("install", (event) => {
  const fresh = Object.entries(files)
    .map(([file, integrity]) => new Request(file, { cache: "reload", integrity }));
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(fresh))
    .catch((error) => caches.delete(cacheName).then(() => Promise.reject(error)))
    .then(() => self.skipWaiting()));
});

// The build before stays for pages that began with it; older ones go.
self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== cacheName).slice(0, -1)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  const build = new URL(event.request.url).searchParams.get("build");
  const kept = caches.match(event.request,
    { ignoreSearch: true, cacheName: build ? `kurenagi-${build}` : cacheName });
  event.respondWith(kept.then((file) => file || fetch(event.request)));
});
