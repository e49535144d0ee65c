# The program body and the main window in both modes.
set(NORVANEX_APP_LOGIC app/CallLine.cpp app/AppInfo.cpp app/KillRun.cpp)
set(NORVANEX_APP_WIN app/Window_win.cpp app/MainUnit_win.cpp app/CommonControls_win.cpp)
