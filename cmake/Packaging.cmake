# `make package` (cpack -G DEB in a Release build): the Debian package
# "sondrel" of everything `cmake --install` lays out, installed under /usr.
# Its library dependencies are computed by dpkg-shlibdeps (package dpkg-dev)
# from the programs' linked libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Sondrel developers")
set(CPACK_PACKAGE_CONTACT "The Sondrel developers <support@sondrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch audio converter")
set(CPACK_PACKAGE_HOMEPAGE_URL https://sondrel.org/)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# MIDI files play through the system's General MIDI SoundFont.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS timgm6mb-soundfont)
# The long description under the summary line; CPack indents it.
set(CPACK_PACKAGE_DESCRIPTION "Sondrel converts many audio files at once: audio files, the sound of
videos, tracker modules, MIDI files and CD tracks, into one of 30 output
formats (MP3, Ogg Vorbis, FLAC, WAV, AAC, WMA, AMR and more), each to a file
of its own or all into one. On the way it trims, mixes down to mono,
changes the volume or normalises, resamples, and carries the tags over.

The command sondrel-cli runs the same conversions from a terminal.")
include(CPack)
