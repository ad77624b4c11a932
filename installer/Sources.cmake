# The compiler's portable library (no windows.h), listed once for the
# program, its tests and the fuzzers.
set(VANTABUILD_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VANTABUILD_SOURCES
  ${VANTABUILD_DIR}/Compiler.cpp
  ${VANTABUILD_DIR}/CommandLine.cpp
  ${VANTABUILD_DIR}/ConsoleStatus.cpp
  ${VANTABUILD_DIR}/Constants.cpp
  ${VANTABUILD_DIR}/DeltaFilter.cpp
  ${VANTABUILD_DIR}/IconFile.cpp
  ${VANTABUILD_DIR}/IndexEncoder.cpp
  ${VANTABUILD_DIR}/PathRules.cpp
  ${VANTABUILD_DIR}/PayloadIndex.cpp
  ${VANTABUILD_DIR}/ProgramResources.cpp
  ${VANTABUILD_DIR}/PayloadReader.cpp
  ${VANTABUILD_DIR}/PayloadWriter.cpp
  ${VANTABUILD_DIR}/Script.cpp
  ${VANTABUILD_DIR}/Checksum.cpp
  ${VANTABUILD_DIR}/Sha256.cpp
  ${VANTABUILD_DIR}/SourceFiles.cpp
)
set(VANTABUILD_POSIX_SOURCES ${VANTABUILD_DIR}/posix/PlatformFiles.cpp)
set(VANTABUILD_WIN32_SOURCES ${VANTABUILD_DIR}/win32/PlatformFiles.cpp)
# The setup and uninstaller's portable part: the install as a transaction,
# its log, the uninstall, the command line.
set(VANTASETUP_SOURCES
  ${VANTABUILD_DIR}/setup/AfterInstall.cpp
  ${VANTABUILD_DIR}/setup/Installer.cpp
  ${VANTABUILD_DIR}/setup/InstallLog.cpp
  ${VANTABUILD_DIR}/setup/LogCheck.cpp
  ${VANTABUILD_DIR}/setup/FileVersion.cpp
  ${VANTABUILD_DIR}/setup/Handshake.cpp
  ${VANTABUILD_DIR}/setup/InstallTransaction.cpp
  ${VANTABUILD_DIR}/setup/SetupCommandLine.cpp
  ${VANTABUILD_DIR}/setup/SetupWizard.cpp
  ${VANTABUILD_DIR}/setup/DiskSpace.cpp
  ${VANTABUILD_DIR}/setup/Uninstall.cpp
)
