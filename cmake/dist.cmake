# Packs the source tarball, kurenagi-VERSION.tar.xz: the files git tracks, as they are in the
# working tree, in one folder kurenagi-VERSION/, with the release's one date, no owner and
# modes that depend on nobody's umask, so that the same sources always give the same bytes.
# Run by the dist target (`cmake --workflow --preset dist`):
#
#     cmake -DSOURCE=DIR -DTARBALL=FILE -DFOLDER=NAME -DDATE=EPOCH -P cmake/dist.cmake
#
# Only a clone knows which files are the sources: git is asked only where SOURCE is the top
# of its own repository, never in a tree inside some other one.
if(NOT EXISTS ${SOURCE}/.git)
  message(FATAL_ERROR "dist: ${SOURCE} is no git clone; a source tarball is made from one")
endif()
set(list ${TARBALL}.files)
execute_process(COMMAND git -C ${SOURCE} ls-files -z OUTPUT_FILE ${list} COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND tar --create --file=- --directory=${SOURCE} --sort=name --format=pax
          --pax-option=exthdr.name=%d/PaxHeaders/%f,delete=atime,delete=ctime
          --mtime=@${DATE} --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX
          --transform=s,^,${FOLDER}/,S --null --verbatim-files-from --files-from=${list}
  COMMAND xz -6 --threads=1 --stdout
  OUTPUT_FILE ${TARBALL}.part COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${TARBALL}.part ${TARBALL})
file(REMOVE ${list})
message(STATUS "dist: ${TARBALL}")
