[Setup]
AppName=Café 写真
AppVerName=Café 1.0
DefaultDirName={pf}\Café
DefaultGroupName=Savers\Café
[Files]
Source: "C:\pics\😀.jpg"; DestDir: "{app}\sample"; DestName: "COM¹x.jpg"
Source: "C:\pics\a.jpg"; DestDir: "{group}\LPT²x.d"
[INI]
Filename: "{app}\s.ini"; Section: "é"; Key: k; String: "{group}"
