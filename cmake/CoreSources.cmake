# The portable core: no windows.h. Listed once for every build that needs it
# (the program, the tests, the fuzzers).
set(VANTA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
set(VANTA_CORE_SOURCES
  ${VANTA_ROOT}/src/base/Random.cpp
  ${VANTA_ROOT}/src/base/Text.cpp
  ${VANTA_ROOT}/src/engine/Bitmap.cpp
  ${VANTA_ROOT}/src/engine/RegionEffectsPending.cpp
  ${VANTA_ROOT}/src/platform/Wildcard.cpp
  ${VANTA_ROOT}/src/settings/IniDocument.cpp
  ${VANTA_ROOT}/src/settings/IniFile.cpp
  ${VANTA_ROOT}/src/settings/SaverSettings.cpp
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfig.cpp
  ${VANTA_ROOT}/src/startup/CommandLine.cpp
  ${VANTA_ROOT}/src/startup/Instance.cpp
  ${VANTA_ROOT}/src/startup/Startup.cpp
)
# The platform's side of the seam.
set(VANTA_POSIX_SOURCES
  ${VANTA_ROOT}/src/platform/posix/Files.cpp
  ${VANTA_ROOT}/src/platform/posix/Registry.cpp
)
set(VANTA_WIN32_SOURCES
  ${VANTA_ROOT}/src/platform/win32/Files.cpp
  ${VANTA_ROOT}/src/platform/win32/Registry.cpp
  ${VANTA_ROOT}/src/startup/ChangeSaverPassword.cpp
  ${VANTA_ROOT}/src/platform/win32/Shell.cpp
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfigFormP.cpp
)
# Dialog templates: linked into each executable that shows the windows (a
# resource inside a static library would be left out by the linker).
set(VANTA_WIN32_RESOURCES
  ${VANTA_ROOT}/src/setting_dialog/DistributeConfigFormP.rc
)
