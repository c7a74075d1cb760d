# Stamps the page with its build, a hash of everything it loads, and with its story, a hash of
# the compiled game. The service worker keeps one cache for each build; the kept keys of a run
# belong to the story they were played on, whatever the page around it.
#     cmake -DSOURCE=web -DSITE=build/web/site -P web/stamp.cmake
set(hashes "")
foreach(file IN ITEMS ${SITE}/kurenagi.js ${SITE}/kurenagi.wasm ${SOURCE}/page.js ${SOURCE}/index.html
                      ${SOURCE}/sw.js ${SOURCE}/manifest.webmanifest)
  file(SHA256 ${file} hash)
  string(APPEND hashes ${hash})
endforeach()
string(SHA256 build "${hashes}")
string(SUBSTRING ${build} 0 16 KURENAGI_BUILD)
file(SHA256 ${SITE}/kurenagi.wasm story)
string(SUBSTRING ${story} 0 16 KURENAGI_STORY)
configure_file(${SOURCE}/index.html ${SITE}/index.html @ONLY)
configure_file(${SOURCE}/sw.js ${SITE}/sw.js @ONLY)
