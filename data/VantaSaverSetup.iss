; The builder's own setup, compiled by `make dist` with our compiler from a
; staging folder that holds the files named below.
; It installs below the system drive's root rather than Program Files: the
; builder keeps its settings (VantaSaver.002) beside its program and builds
; in its Compile folder, and a folder below the drive's root inherits modify
; rights for every signed-in user, so a standard user can work there.
[Setup]
AppName=Vanta Screensaver Builder
AppVerName=Vanta Screensaver Builder 2.0
DefaultDirName={sd}\Vanta Screensaver Builder
DefaultGroupName=Vanta Screensaver Builder
OutputDir=..
OutputBaseFilename=VantaSaverSetup

[Files]
Source: "VantaSaver.scr"; DestDir: "{app}"
Source: "VantaSaver.001"; DestDir: "{app}"
Source: "vantabuild.exe"; DestDir: "{app}\Compile"
Source: "t1.jpg"; DestDir: "{app}\sample"
Source: "t2.jpg"; DestDir: "{app}\sample"
; The build takes the MPEG library from the system folder; savers built
; earlier share it, so it stays when the builder goes.
Source: "mpegdll.dll"; DestDir: "{sys}"; DestName: "MPEGDLL.DLL"; Flags: uninsneveruninstall

[Registry]
; The builder finds its compile folder and samples through this value.
Root: HKCU; Subkey: "Software\Norvane\vantasaver"; ValueType: string; ValueName: ""; ValueData: "{app}"; Flags: uninsdeletekey

[Icons]
; A bare .scr would start the show: "/c" opens the builder.
Name: "{group}\Vanta Screensaver Builder"; Filename: "{app}\VantaSaver.scr"; Parameters: "/c"
Name: "{group}\Uninstall Vanta Screensaver Builder"; Filename: "{app}\unins000.exe"
