; by hand
[setup]
appname = "a ""b"" c"
AppVerName=x
DefaultDirName={pf}\{{x}
[ini]
Filename: my.ini; Section: s; Key: k; String: "{win}\\a;b"
