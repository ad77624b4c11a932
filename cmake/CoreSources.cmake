# The sources of each layer of src/ (cmake/Layers.cmake), listed once for
# every build that needs them (the program, the tests, the fuzzers):
# VANTA_<LAYER>_SOURCES portable (no windows.h), _WIN32_SOURCES and
# _POSIX_SOURCES the platform's sides. A new file goes into its folder's list.
set(VANTA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)
set(VANTA_BASE_SOURCES
  ${VANTA_ROOT}/src/base/Random.cpp
  ${VANTA_ROOT}/src/base/Text.cpp
  ${VANTA_ROOT}/src/base/Bitmap.cpp
  ${VANTA_ROOT}/src/base/PictureLimits.cpp
)
set(VANTA_PLATFORM_SOURCES
  ${VANTA_ROOT}/src/platform/Wildcard.cpp
  ${VANTA_ROOT}/src/platform/headless/HeadlessScheduler.cpp
  ${VANTA_ROOT}/src/platform/headless/HeadlessSurfaceHost.cpp
)
set(VANTA_PLATFORM_POSIX_SOURCES
  ${VANTA_ROOT}/src/platform/posix/DynamicLibrary.cpp
  ${VANTA_ROOT}/src/platform/posix/Files.cpp
  ${VANTA_ROOT}/src/platform/posix/MediaControl.cpp
  ${VANTA_ROOT}/src/platform/posix/PlatformPictures.cpp
  ${VANTA_ROOT}/src/platform/posix/Registry.cpp
)
set(VANTA_PLATFORM_WIN32_SOURCES
  ${VANTA_ROOT}/src/platform/win32/DynamicLibrary.cpp
  ${VANTA_ROOT}/src/platform/win32/Files.cpp
  ${VANTA_ROOT}/src/platform/win32/MediaControl.cpp
  ${VANTA_ROOT}/src/platform/win32/PlatformPictures.cpp
  ${VANTA_ROOT}/src/platform/win32/Registry.cpp
  ${VANTA_ROOT}/src/platform/win32/SystemLibrary.cpp
  ${VANTA_ROOT}/src/platform/win32/Win32Scheduler.cpp
  ${VANTA_ROOT}/src/platform/win32/Win32SurfaceHost.cpp
  ${VANTA_ROOT}/src/platform/win32/Win32Monitors.cpp
  ${VANTA_ROOT}/src/platform/win32/Shell.cpp
  ${VANTA_ROOT}/src/platform/win32/PictureOpenDialog.cpp
)
set(VANTA_ENGINE_SOURCES
  ${VANTA_ROOT}/src/engine/Blit.cpp
  ${VANTA_ROOT}/src/engine/Resample.cpp
  ${VANTA_ROOT}/src/engine/PanZoom.cpp
  ${VANTA_ROOT}/src/engine/Effects.cpp
  ${VANTA_ROOT}/src/engine/EffectsRotation.cpp
  ${VANTA_ROOT}/src/engine/AnimateThread.cpp
  ${VANTA_ROOT}/src/engine/Vantascreen.cpp
  ${VANTA_ROOT}/src/engine/Region.cpp
  ${VANTA_ROOT}/src/engine/RegionBuilder.cpp
  ${VANTA_ROOT}/src/engine/RegionCompose.cpp
  ${VANTA_ROOT}/src/engine/RegionEffects.cpp
  ${VANTA_ROOT}/src/engine/PictureLoader.cpp
  ${VANTA_ROOT}/src/engine/FitRule.cpp
  ${VANTA_ROOT}/src/engine/codecs/Bmp.cpp
  ${VANTA_ROOT}/src/engine/codecs/Dib.cpp
  ${VANTA_ROOT}/src/engine/codecs/Gif.cpp
  ${VANTA_ROOT}/src/engine/codecs/Ico.cpp
  ${VANTA_ROOT}/src/engine/codecs/Jpeg.cpp
  ${VANTA_ROOT}/src/engine/codecs/Exif.cpp
  ${VANTA_ROOT}/src/engine/codecs/Png.cpp
  ${VANTA_ROOT}/src/engine/codecs/Webp.cpp
  ${VANTA_ROOT}/src/engine/codecs/Heif.cpp
)
set(VANTA_MUSIC_SOURCES
  ${VANTA_ROOT}/src/music/MPEGPlay.cpp
  ${VANTA_ROOT}/src/music/MusicSet.cpp
)
set(VANTA_FORMS_SOURCES
  ${VANTA_ROOT}/src/forms/ColorList.cpp
)
set(VANTA_FORMS_WIN32_SOURCES
  ${VANTA_ROOT}/src/forms/FormLayout.cpp
  ${VANTA_ROOT}/src/forms/Controls.cpp
  ${VANTA_ROOT}/src/forms/Dialog.cpp
  ${VANTA_ROOT}/src/forms/ColorCombo.cpp
  ${VANTA_ROOT}/src/forms/LinkLabel.cpp
  ${VANTA_ROOT}/src/forms/PageHost.cpp
)
set(VANTA_SETTINGS_SOURCES
  ${VANTA_ROOT}/src/settings/IniDocument.cpp
  ${VANTA_ROOT}/src/settings/IniFile.cpp
  ${VANTA_ROOT}/src/settings/Instance.cpp
  ${VANTA_ROOT}/src/settings/SaverSettings.cpp
)
set(VANTA_SHOW_SOURCES
  ${VANTA_ROOT}/src/show/PictureMotion.cpp
  ${VANTA_ROOT}/src/show/RunVantascreen.cpp
  ${VANTA_ROOT}/src/show/PictureDeck.cpp
  ${VANTA_ROOT}/src/show/ShowPlace.cpp
  ${VANTA_ROOT}/src/show/ShowCounter.cpp
  ${VANTA_ROOT}/src/show/ScreenLayout.cpp
  ${VANTA_ROOT}/src/show/ScreenShow.cpp
)
set(VANTA_SETTING_DIALOG_SOURCES
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfig.cpp
)
set(VANTA_SETTING_DIALOG_WIN32_SOURCES
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfigFormP.cpp
)
set(VANTA_SAVER_SOURCES
  ${VANTA_ROOT}/src/saver/ShowExit.cpp
)
set(VANTA_SAVER_WIN32_SOURCES
  ${VANTA_ROOT}/src/saver/FullscreenFormP.cpp
  ${VANTA_ROOT}/src/saver/PreviewFormP.cpp
)
set(VANTA_BUILDER_SOURCES
  ${VANTA_ROOT}/src/builder/BuildPipeline.cpp
  ${VANTA_ROOT}/src/builder/PhotoShrink.cpp
  ${VANTA_ROOT}/src/builder/CompileSession.cpp
  ${VANTA_ROOT}/src/builder/ConfigControls.cpp
  ${VANTA_ROOT}/src/builder/EffectTreeRules.cpp
  ${VANTA_ROOT}/src/builder/MediaLists.cpp
  ${VANTA_ROOT}/src/builder/IconArt.cpp
  ${VANTA_ROOT}/src/builder/SetupArt.cpp
  ${VANTA_ROOT}/src/builder/DropRules.cpp
  ${VANTA_ROOT}/src/builder/ProjectFiles.cpp
)
set(VANTA_BUILDER_WIN32_SOURCES
  ${VANTA_ROOT}/src/builder/CheckListView.cpp
  ${VANTA_ROOT}/src/builder/SideBar.cpp
  ${VANTA_ROOT}/src/builder/AboutFormP.cpp
  ${VANTA_ROOT}/src/builder/QELOLEDrop.cpp
  ${VANTA_ROOT}/src/builder/BuilderPage.cpp
  ${VANTA_ROOT}/src/builder/ImagesPage.cpp
  ${VANTA_ROOT}/src/builder/MusicPage.cpp
  ${VANTA_ROOT}/src/builder/EffectsPage.cpp
  ${VANTA_ROOT}/src/builder/OptionsPage.cpp
  ${VANTA_ROOT}/src/builder/BuildPage.cpp
  ${VANTA_ROOT}/src/builder/ConfigFormP.cpp
)
set(VANTA_STARTUP_SOURCES
  ${VANTA_ROOT}/src/startup/CommandLine.cpp
  ${VANTA_ROOT}/src/startup/Startup.cpp
)
set(VANTA_STARTUP_WIN32_SOURCES
  ${VANTA_ROOT}/src/startup/ChangeSaverPassword.cpp
  ${VANTA_ROOT}/src/startup/Win32StartupHost.cpp
)
# Every layer's portable sources and each platform's side, for builds that
# take them as one (the fuzzers).
set(VANTA_CORE_SOURCES)
set(VANTA_POSIX_SOURCES)
set(VANTA_WIN32_SOURCES)
get_property(layers GLOBAL PROPERTY VANTA_LAYERS)
foreach(layer IN LISTS layers)
  string(TOUPPER ${layer} upper)
  list(APPEND VANTA_CORE_SOURCES ${VANTA_${upper}_SOURCES})
  list(APPEND VANTA_POSIX_SOURCES ${VANTA_${upper}_POSIX_SOURCES})
  list(APPEND VANTA_WIN32_SOURCES ${VANTA_${upper}_WIN32_SOURCES})
endforeach()
# Dialog templates: linked into each executable that shows the windows (a
# resource inside a static library would be left out by the linker).
set(VANTA_WIN32_RESOURCES
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfigFormP.rc
  ${VANTA_ROOT}/src/builder/ConfigFormP.rc
  ${VANTA_ROOT}/src/builder/AboutFormP.rc
  ${VANTA_ROOT}/src/platform/win32/PictureOpenDialog.rc
)

# libjpeg: Debian's natively; for Windows the static library that
# scripts/deps/libjpeg-turbo.sh cross-compiles into build/deps/i686.
function(vanta_link_jpeg target)
  if(WIN32)
    set(prefix ${VANTA_ROOT}/build/deps/i686)
    if(NOT EXISTS ${prefix}/lib/libjpeg.a)
      message(FATAL_ERROR "libjpeg for Windows missing: run scripts/deps/libjpeg-turbo.sh (make windows does)")
    endif()
    target_include_directories(${target} PUBLIC ${prefix}/include)
    target_link_libraries(${target} PUBLIC ${prefix}/lib/libjpeg.a)
  else()
    find_package(JPEG REQUIRED)
    target_link_libraries(${target} PUBLIC JPEG::JPEG)
  endif()
endfunction()

# PNG (libspng over zlib) and WebP (libwebp and its demuxer): Debian's
# natively; for Windows the static libraries that scripts/deps/libspng.sh
# (with zlib.sh) and libwebp.sh cross-compile into build/deps/i686.
function(vanta_link_png_webp target)
  if(WIN32)
    set(prefix ${VANTA_ROOT}/build/deps/i686)
    foreach(lib libspng.a libz.a libwebp.a libwebpdemux.a)
      if(NOT EXISTS ${prefix}/lib/${lib})
        message(FATAL_ERROR "${lib} for Windows missing: run scripts/deps/libspng.sh and libwebp.sh (make windows does)")
      endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${prefix}/include)
    target_compile_definitions(${target} PUBLIC SPNG_STATIC)
    target_link_libraries(${target} PUBLIC ${prefix}/lib/libspng.a ${prefix}/lib/libwebpdemux.a
                          ${prefix}/lib/libwebp.a ${prefix}/lib/libz.a)
  else()
    find_path(SPNG_INCLUDE_DIR spng.h REQUIRED)
    find_path(WEBP_INCLUDE_DIR webp/decode.h REQUIRED)
    find_library(SPNG_LIBRARY spng REQUIRED)
    find_library(WEBP_LIBRARY webp REQUIRED)
    find_library(WEBPDEMUX_LIBRARY webpdemux REQUIRED)
    target_include_directories(${target} PUBLIC ${SPNG_INCLUDE_DIR} ${WEBP_INCLUDE_DIR})
    target_link_libraries(${target} PUBLIC ${SPNG_LIBRARY} ${WEBPDEMUX_LIBRARY} ${WEBP_LIBRARY})
  endif()
endfunction()

# HEIF (libheif with libde265 for HEVC and dav1d for AV1): Debian's
# natively; for Windows the static decoder-only libraries that
# scripts/deps/libde265.sh, dav1d.sh and libheif.sh cross-compile.
function(vanta_link_heif target)
  if(WIN32)
    set(prefix ${VANTA_ROOT}/build/deps/i686)
    foreach(lib libheif.a libde265.a libdav1d.a)
      if(NOT EXISTS ${prefix}/lib/${lib})
        message(FATAL_ERROR "${lib} for Windows missing: run scripts/deps/libde265.sh, dav1d.sh and libheif.sh (make windows does)")
      endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${prefix}/include)
    target_compile_definitions(${target} PUBLIC LIBHEIF_STATIC_BUILD)
    target_link_libraries(${target} PUBLIC ${prefix}/lib/libheif.a ${prefix}/lib/libde265.a ${prefix}/lib/libdav1d.a)
  else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBHEIF REQUIRED IMPORTED_TARGET libheif)
    target_link_libraries(${target} PUBLIC PkgConfig::LIBHEIF)
  endif()
endfunction()
