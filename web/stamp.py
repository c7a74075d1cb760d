#!/usr/bin/env python3
"""Stamps the page with its build and its story, after everything else of the site is in place.

    stamp.py SOURCE SITE

The build is a hash of every file the service worker keeps, as built: one cache per build, so
that any change (an icon too) reaches installed players. The story is a hash of the compiled
game: a kept run belongs to the story it was played on, whatever the page around it. The page
names the integrity of every script and game file it loads, so that a browser never runs files
of two builds together."""
import base64
import hashlib
import json
import pathlib
import sys

source, site = (pathlib.Path(arg) for arg in sys.argv[1:3])
templates = ("index.html", "sw.js")
kept = ("page.js", "kurenagi.js", "kurenagi.wasm", "manifest.webmanifest", "icon.svg",
        "icon-192.png", "icon-512.png")


def digest(path):
    return hashlib.sha256(path.read_bytes()).digest()


def integrity(name):
    return "sha256-" + base64.b64encode(digest(site / name)).decode("ascii")


build = hashlib.sha256(b"".join([digest(source / name) for name in templates] +
                                [digest(site / name) for name in kept])).hexdigest()[:16]
stamps = {
    "@KURENAGI_BUILD@": build,
    "@KURENAGI_STORY@": digest(site / "kurenagi.wasm").hex()[:16],
    "@PAGE_JS_INTEGRITY@": integrity("page.js"),
    "@GAME_JS_INTEGRITY@": integrity("kurenagi.js"),
    "@GAME_WASM_INTEGRITY@": integrity("kurenagi.wasm"),
}


def stamped(name):
    text = (source / name).read_text(encoding="utf-8")
    for stamp, value in stamps.items():
        text = text.replace(stamp, value)
    (site / name).write_text(text, encoding="utf-8")


# The worker keeps the page as well, with what it holds: it names each file with its integrity.
stamped("index.html")
files = {"./": integrity("index.html"), **{name: integrity(name) for name in ("index.html",) + kept}}
stamps['{ "@KURENAGI_FILES@": "" }'] = json.dumps(files, indent=2)
stamped("sw.js")
