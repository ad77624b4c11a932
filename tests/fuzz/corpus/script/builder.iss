[Setup]
AppName=My Saver
AppVerName=My Saver
DefaultDirName={pf}\My Saver
DefaultGroupName=My Saver
outputdir="C:\Out\"
OutputBaseFilename="My Saver"
[Files]
Source:"C:\Prog\VantaSaver.scr"; DestDir: "{sys}\"; DestName: "My Saver.scr"
Source:"C:\Prog\VantaSaver.001"; DestDir: "{sys}\"; flags: uninsneveruninstall
Source:"C:\Pics\a.jpg"; DestDir: "{app}\sample"
Source:"C:\Music\b.mp3"; DestDir: "{app}\sample"
Source:"C:\WINDOWS\system32\MPEGDLL.DLL"; DestDir: "{sys}\"
Source:"C:\Prog\Compile\Readme.txt"; DestDir: "{app}\"; flags: isreadme
Source:"C:\Prog\Compile\My Saver.002"; DestDir: "{sys}\"; DestName: "My Saver.002"
[Registry]
Root: HKCU; Subkey: "Software\Norvane\My Saver"; ValueType: string; ValueName: ""; ValueData: {app}; flags: uninsdeletekey
[INI]
Filename: "{win}\system.INI"; Section: "boot"; Key: "SCRNSAVE.EXE"; String: "{sys}\MySaver~1.scr"
[Icons]
Name: "{group}\My Saver"; Filename: "{sys}\My Saver.scr"
Name: "{userdesktop}\My Saver"; Filename: "{sys}\My Saver.scr"
Name: "{group}\Uninstall"; Filename: "{app}\unins000.exe"
Name: "{app}\My Saver"; Filename: "{sys}\My Saver.scr"
Name: "{group}\Readme"; Filename: "{app}\readme.txt"
