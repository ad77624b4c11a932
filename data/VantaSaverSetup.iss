; The builder's own setup, compiled by `make dist` with our compiler from a
; staging folder that holds the files named below.
; It installs under Program Files, where only administrators write: the
; uninstaller runs elevated and the compiler runs for whoever builds, so no
; user may be able to replace them. The builder keeps its working file and
; builds in the user's own local application-data folder.
[Setup]
AppName=Vanta Screensaver Builder
AppVerName=Vanta Screensaver Builder 2.0
DefaultDirName={pf}\Vanta Screensaver Builder
DefaultGroupName=Vanta Screensaver Builder
OutputDir=..
OutputBaseFilename=VantaSaverSetup

[Files]
Source: "VantaSaver.scr"; DestDir: "{app}"
Source: "VantaSaver.001"; DestDir: "{app}"
; Help and F1 open it beside the builder.
Source: "help.chm"; DestDir: "{app}"
Source: "vantabuild.exe"; DestDir: "{app}\Compile"
Source: "t1.jpg"; DestDir: "{app}\sample"
Source: "t2.jpg"; DestDir: "{app}\sample"
Source: "t3.jpg"; DestDir: "{app}\sample"
; The build takes the MPEG library from the system folder; savers built
; with it share it, and it goes with the last of them.
Source: "mpegdll.dll"; DestDir: "{sys}"; DestName: "MPEGDLL.DLL"; Flags: sharedfile

[Registry]
; The builder finds its compiler and samples through this value: the
; installing user's, and the machine's for a user an administrator installed
; it for.
Root: HKCU; Subkey: "Software\Norvane\vantasaver"; ValueType: string; ValueName: ""; ValueData: "{app}"; Flags: uninsdeletekey
Root: HKLM; Subkey: "Software\Norvane\vantasaver"; ValueType: string; ValueName: ""; ValueData: "{app}"; Flags: uninsdeletekey

[Icons]
; A bare .scr would start the show: "/c" opens the builder.
Name: "{group}\Vanta Screensaver Builder"; Filename: "{app}\VantaSaver.scr"; Parameters: "/c"
Name: "{group}\Uninstall Vanta Screensaver Builder"; Filename: "{app}\unins000.exe"
