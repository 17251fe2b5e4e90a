# Imported targets for every system library; scripts/setup.sh installs them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswresample)
pkg_check_modules(RESAMPLE REQUIRED IMPORTED_TARGET libresample)
# Debian's libresample.pc names no library and carries its own build flags
# (-O2, _FORTIFY_SOURCE): link the library by name and drop those flags.
find_library(RESAMPLE_LIBRARY resample REQUIRED)
set_property(TARGET PkgConfig::RESAMPLE APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${RESAMPLE_LIBRARY})
set_property(TARGET PkgConfig::RESAMPLE PROPERTY INTERFACE_COMPILE_OPTIONS "")
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbis vorbisenc ogg)
pkg_check_modules(AMR REQUIRED IMPORTED_TARGET opencore-amrnb opencore-amrwb vo-amrwbenc)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(WAVPACK REQUIRED IMPORTED_TARGET wavpack)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio libcdio_cdda libcdio_paranoia)
pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET taglib)
# GIO: the session bus (the file manager's ShowItems) and the desktop's
# default applications. GTK links it already.
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0)
find_package(Threads REQUIRED)

if(SONDREL_UI)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS html core base)
  add_library(sondrel_wx INTERFACE)
  target_include_directories(sondrel_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(sondrel_wx INTERFACE ${wxWidgets_DEFINITIONS})
  target_compile_options(sondrel_wx INTERFACE ${wxWidgets_CXX_FLAGS})
  target_link_libraries(sondrel_wx INTERFACE ${wxWidgets_LIBRARIES})
  # GTK itself: the window manager's move-drag of the caption-less main window.
  pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
endif()
